#include "ui/DialogFrame.h"

#include "ui/AppFonts.h"
#include "ui/AppIcon.h"
#include "ui/TaskbarButton.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"

#include <QDialog>
#include <QKeyEvent>

namespace {

constexpr Qt::WindowFlags TitleBar = Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

} // namespace

void SetUpDialogFrame(QDialog* dialog, const DialogDesign& design, QWidget* opener)
{
    dialog->setObjectName(QString::fromLatin1(design.name));
    dialog->setWindowTitle(QString::fromUtf8(design.caption));
    dialog->setWindowIcon(AppIcon());
    if (design.ownTaskbarButton) {
        // A window nobody owns gets a taskbar button of its own; modal to
        // the whole program, so the main window still takes no input.
        dialog->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | TitleBar);
        dialog->setWindowModality(Qt::ApplicationModal);
    } else {
        dialog->setWindowFlags(Qt::Dialog | TitleBar);
        dialog->setModal(true);
    }
    dialog->setFixedSize(TwipsToPixels(design.clientWidth), TwipsToPixels(design.clientHeight));
    dialog->setFont(TahomaFont(design.fontPointSize));
    CentreWhenShown(dialog, Centring::OverOpenerEach, opener);
    if (!design.ownTaskbarButton)
        KeepOffTaskbar(dialog);
}

bool IsEscape(const QKeyEvent* event)
{
    // Cancel is the key QDialog itself would reject on.
    return event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel);
}
