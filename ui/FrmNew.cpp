#include "ui/FrmNew.h"

#include "ui/DialogFrame.h"
#include "ui/OperatorForm.h"

#include <QKeyEvent>
#include <algorithm>

FrmNew::FrmNew(QWidget* opener)
    : QDialog(nullptr) // no owner: a taskbar button of its own
{
    SetUpDialogFrame(this, {"frmNew", "Neu anlegen", 5190, 2895, 9.75, true}, opener);
    const OperatorForm form = BuildOperatorForm(this, {"cmdNew", "Anlegen", {6, 7, 8}});
    Picture1 = form.Picture1;
    std::copy(std::begin(form.Label1), std::end(form.Label1), Label1);
    txtName = form.txtName;
    txtSurename = form.txtSurename;
    txtShort = form.txtShort;
    cmdNew = form.primary;
    cmdClose = form.cmdClose;
}

void FrmNew::keyPressEvent(QKeyEvent* event)
{
    if (IsEscape(event)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
