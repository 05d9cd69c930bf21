#include "ui/FrmEdit.h"

// 15 twips wider and higher than the new-operator dialog; the controls stand
// at the same places.
FrmEdit::FrmEdit(QWidget* opener)
    : OperatorForm({"frmEdit", "Operator ändern", 5205, 2910, 9.75, true}, {"cmdOpEdit", "Ändern", {8, 7, 6}}, opener)
{
}
