#pragma once
// Layout of the edit dialog "Operator ändern": the operator form with
// cmdOpEdit "Ändern" as its primary button.

#include "ui/OperatorForm.h"

class FrmEdit : public OperatorForm {
    Q_OBJECT
public:
    explicit FrmEdit(QWidget* opener = nullptr);
};
