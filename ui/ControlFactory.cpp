#include "ui/ControlFactory.h"

#include "ui/AppFonts.h"
#include "ui/Twips.h"

#include <QAbstractButton>
#include <QGraphicsEffect>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
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

// Qt clips whatever a widget paints to the widget's rectangle; a graphics
// effect is its way to paint past it, as a drop shadow does, and it keeps
// the repainting of that wider area in step with the label. The effect
// paints the caption itself, where the label would, without the clip.
class CaptionOverhang : public QGraphicsEffect {
public:
    explicit CaptionOverhang(QLabel* label)
        : QGraphicsEffect(label), m_label(label)
    {
    }

protected:
    // Columns as the box, and a line's height above and below it: no glyph
    // of a single line reaches further. It depends on the font alone, so a
    // shorter caption still repaints where a longer one reached.
    QRectF boundingRectFor(const QRectF& rect) const override
    {
        const int line = m_label->fontMetrics().height();
        return rect.adjusted(0, -line, 0, line);
    }

    void draw(QPainter* painter) override
    {
        painter->save();
        painter->setClipRect(boundingRect(), Qt::IntersectClip);
        painter->setFont(m_label->font());
        m_label->style()->drawItemText(painter, m_label->contentsRect(), int(m_label->alignment()) | Qt::TextDontClip,
                                       m_label->palette(), m_label->isEnabled(), m_label->text(),
                                       m_label->foregroundRole());
        painter->restore();
    }

private:
    QLabel* m_label;
};

} // namespace

void LetCaptionOverhang(QLabel* label)
{
    label->setGraphicsEffect(new CaptionOverhang(label));
}

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
