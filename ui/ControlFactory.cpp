#include "ui/ControlFactory.h"

#include "ui/AppFonts.h"
#include "ui/Twips.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace {

// Where a container's designed coordinates count from. A panel counts from
// inside its border, which is where Qt's contents rectangle starts. A group
// box counts from its outer corner: its contents rectangle starts below the
// title and the style's padding, and counting from there pushed the controls
// down by the title's height and cut off the lowest ones at the frame.
QPoint DesignOrigin(const QWidget* container)
{
    if (qobject_cast<const QGroupBox*>(container))
        return QPoint(0, 0);
    return container->contentsRect().topLeft();
}

} // namespace

void ApplyDesign(QWidget* control, const ControlDesign& design)
{
    control->setObjectName(QString::fromLatin1(design.name));
    control->setProperty("tabIndex", design.tabIndex);
    if (design.pointSize > 0)
        control->setFont(TahomaFont(design.pointSize, design.bold));
    const TwipsBox& box = design.box;
    control->setGeometry(
        TwipsRect(box.left, box.top, box.width, box.height).translated(DesignOrigin(control->parentWidget())));
}

void SetControlIndex(QObject* control, int index)
{
    control->setProperty("index", index);
}

void ChainTabOrder(std::initializer_list<QWidget*> controls)
{
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void SetDesignText(QWidget*, const QString&) {}

void SetDesignText(QLabel* control, const QString& text)
{
    // Captions are shown as typed: an operator's name is never markup.
    control->setTextFormat(Qt::PlainText);
    control->setText(text);
}

void SetDesignText(QAbstractButton* control, const QString& text)
{
    control->setText(text);
}

void SetDesignText(QLineEdit* control, const QString& text)
{
    control->setText(text);
}

void SetDesignText(QGroupBox* control, const QString& text)
{
    control->setTitle(text);
}
