#include "operators/EditOperatorDialog.h"

#include "operators/OperatorListView.h"
#include "operators/OperatorSelection.h"
#include "operators/OperatorTextValidator.h"
#include "ui/FrmEdit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

EditOperatorDialog::EditOperatorDialog(FrmEdit& form, QTreeWidgetItem* row, RelayControl& relay)
    : OperatorDialog(form), m_row(row), m_relay(relay)
{
    const OperatorEntry entry = RowEntry(row);
    form.txtName->setText(entry.FirstName);
    form.txtSurename->setText(entry.Surname);
    form.txtShort->setText(entry.ShortCode);
    RestrictOperatorBoxes(form.txtName, form.txtSurename, form.txtShort);
    connect(form.primary, &QPushButton::clicked, this, [this] { writeBack(); });
}

void EditOperatorDialog::showModal(QWidget* mainWindow, QTreeWidget* lstOperator, RelayControl& relay)
{
    QTreeWidgetItem* row = SelectedOperatorRow(lstOperator);
    if (!row)
        return;
    FrmEdit form(mainWindow); // centred over the main window, which takes no input meanwhile
    EditOperatorDialog behaviour(form, row, relay);
    form.exec();
}

void EditOperatorDialog::writeBack()
{
    const OperatorEntry typed = typedOperator();
    SetRowFields(m_row, typed.FirstName, typed.Surname, typed.ShortCode);
    if (IsRowTicked(m_row))
        PublishOperatorOnDuty(m_relay, m_row);
    m_form.accept();
}
