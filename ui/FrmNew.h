#pragma once
// Layout of the new-operator dialog "Neu anlegen": the operator form with
// cmdNew "Anlegen" as its primary button.

#include "ui/OperatorForm.h"

class FrmNew : public OperatorForm {
    Q_OBJECT
public:
    explicit FrmNew(QWidget* opener = nullptr);
};
