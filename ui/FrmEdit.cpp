#include "ui/FrmEdit.h"

#include "ui/DialogFrame.h"
#include "ui/OperatorForm.h"

#include <QKeyEvent>
#include <algorithm>

FrmEdit::FrmEdit(QWidget* opener)
    : QDialog(nullptr) // no owner: a taskbar button of its own
{
    // 15 twips wider and higher than the new-operator dialog; the controls
    // stand at the same places.
    SetUpDialogFrame(this, {"frmEdit", "Operator ändern", 5205, 2910, 9.75, true}, opener);
    const OperatorForm form = BuildOperatorForm(this, {"cmdOpEdit", "Ändern", {8, 7, 6}});
    Picture1 = form.Picture1;
    std::copy(std::begin(form.Label1), std::end(form.Label1), Label1);
    txtName = form.txtName;
    txtSurename = form.txtSurename;
    txtShort = form.txtShort;
    cmdOpEdit = form.primary;
    cmdClose = form.cmdClose;
}

void FrmEdit::keyPressEvent(QKeyEvent* event)
{
    if (IsEscape(event)) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
