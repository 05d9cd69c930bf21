#include "operators/OperatorDialog.h"

#include "ui/OperatorForm.h"

#include <QLineEdit>
#include <QPushButton>

OperatorDialog::OperatorDialog(OperatorForm& form)
    : QObject(&form), m_form(form)
{
    connect(form.cmdClose, &QPushButton::clicked, &form, &QDialog::reject);
}

OperatorEntry OperatorDialog::typedOperator() const
{
    return OperatorEntry{QString(), m_form.txtName->text(), m_form.txtSurename->text(), m_form.txtShort->text()};
}
