#include "ui/DialogFrame.h"

#include "ui/AppFonts.h"
#include "ui/AppIcon.h"
#include "ui/TaskbarButton.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"

#include <QKeyEvent>

namespace {

constexpr Qt::WindowFlags kTitleBar = Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

bool IsEscape(const QKeyEvent* event)
{
    // Cancel is the key QDialog itself would reject on.
    return event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel);
}

} // namespace

DialogFrame::DialogFrame(const DialogDesign& design, QWidget* opener)
    : QDialog(design.ownTaskbarButton ? nullptr : opener)
{
    setObjectName(QString::fromLatin1(design.name));
    setWindowTitle(QString::fromUtf8(design.caption));
    setWindowIcon(AppIcon());
    if (design.ownTaskbarButton) {
        // A window nobody owns gets a taskbar button of its own; modal to
        // the whole program, so the main window still takes no input.
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | kTitleBar);
        setWindowModality(Qt::ApplicationModal);
    } else {
        setWindowFlags(Qt::Dialog | kTitleBar);
        setModal(true);
    }
    setFixedSize(TwipsToPixels(design.clientWidth), TwipsToPixels(design.clientHeight));
    setFont(TahomaFont(design.fontPointSize));
    CentreWhenShown(this, Centring::OverOpenerEach, opener);
    if (!design.ownTaskbarButton)
        KeepOffTaskbar(this);
}

void DialogFrame::keyPressEvent(QKeyEvent* event)
{
    if (IsEscape(event)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
