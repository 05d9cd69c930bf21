#include "operators/EditOperatorDialog.h"

#include "operators/OperatorListView.h"
#include "operators/OperatorSelection.h"
#include "operators/OperatorTextValidator.h"
#include "ui/FrmEdit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

EditOperatorDialog::EditOperatorDialog(FrmEdit& form, QTreeWidgetItem* row, RelayControl& relay)
    : QObject(&form), m_form(form), m_row(row), m_relay(relay)
{
    const OperatorEntry entry = RowEntry(row);
    form.txtName->setText(entry.FirstName);
    form.txtSurename->setText(entry.Surname);
    form.txtShort->setText(entry.ShortCode);
    RestrictOperatorBoxes(form.txtName, form.txtSurename, form.txtShort);
    connect(form.cmdOpEdit, &QPushButton::clicked, this, [this] { writeBack(); });
    connect(form.cmdClose, &QPushButton::clicked, &form, &QDialog::reject);
}

void EditOperatorDialog::Show(QWidget* mainWindow, QTreeWidget* lstOperator, RelayControl& relay)
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
    SetRowFields(m_row, m_form.txtName->text(), m_form.txtSurename->text(), m_form.txtShort->text());
    if (IsRowTicked(m_row))
        PublishOperatorOnDuty(m_relay, m_row);
    m_form.accept();
}

QTreeWidgetItem* SelectedOperatorRow(const QTreeWidget* list)
{
    QTreeWidgetItem* current = list->currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}
