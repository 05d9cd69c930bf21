#include "ui/FrmNew.h"

FrmNew::FrmNew(QWidget* opener)
    : OperatorForm({"frmNew", "Neu anlegen", 5190, 2895, 9.75, true}, {"cmdNew", "Anlegen", {6, 7, 8}}, opener)
{
}
