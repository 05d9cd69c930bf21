#include "ui/DialogFrame.h"

#include "ui/AppFonts.h"
#include "ui/AppIcon.h"
#include "ui/Twips.h"
#include "ui/WindowPlacement.h"

#include <QDialog>
#include <QKeyEvent>

void SetUpDialogFrame(QDialog* dialog, const DialogDesign& design)
{
    dialog->setObjectName(QString::fromLatin1(design.name));
    dialog->setWindowTitle(QString::fromUtf8(design.caption));
    dialog->setWindowIcon(AppIcon());
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(TwipsToPixels(design.clientWidth), TwipsToPixels(design.clientHeight));
    dialog->setModal(true);
    dialog->setFont(TahomaFont(design.fontPointSize));
    CentreWhenShown(dialog, Centring::OverParentEach);
}

bool IsEscape(const QKeyEvent* event)
{
    // Cancel is the key QDialog itself would reject on.
    return event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel);
}
