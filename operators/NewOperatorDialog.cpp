#include "operators/NewOperatorDialog.h"

#include "operators/OperatorListView.h"
#include "operators/OperatorStorage.h"
#include "operators/OperatorTextValidator.h"
#include "ui/FrmNew.h"
#include "ui/MessageBoxes.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

NewOperatorDialog::NewOperatorDialog(FrmNew& form, OperatorListControls listControls, MessageBoxes& boxes)
    : OperatorDialog(form), m_listControls(listControls), m_boxes(boxes)
{
    RestrictOperatorBoxes(form.txtName, form.txtSurename, form.txtShort);
    // Once, for the opening only: a later activation (a message box closing,
    // the user coming back from another program) keeps the focus where it was.
    form.txtName->setFocus();
    connect(form.txtShort, &QLineEdit::textChanged, this, [this] { upperCaseShortCode(); });
    connect(form.primary, &QPushButton::clicked, this, [this] { add(); });
}

void NewOperatorDialog::showModal(QWidget* mainWindow, OperatorListControls listControls, MessageBoxes& boxes)
{
    FrmNew form(mainWindow); // centred over the main window, which takes no input meanwhile
    NewOperatorDialog behaviour(form, listControls, boxes);
    form.exec();
}

void NewOperatorDialog::upperCaseShortCode()
{
    // Writing back an unchanged text emits nothing, so this ends at once.
    const QString upper = StorableUpperCase(m_form.txtShort->text());
    if (upper != m_form.txtShort->text())
        m_form.txtShort->setText(upper);
    m_form.txtShort->setCursorPosition(upper.size());
}

void NewOperatorDialog::add()
{
    const OperatorEntry typed = typedOperator();
    if (typed.FirstName.isEmpty() || typed.Surname.isEmpty() || typed.ShortCode.isEmpty()) {
        m_boxes.show(QStringLiteral("Quorin Relay: Fehler"), QStringLiteral("Bitte füllen Sie alle Felder aus."),
                     MessageIcon::Information);
        return;
    }
    if (shortCodeTaken(typed.ShortCode)) {
        m_boxes.show(QStringLiteral("Quorin Relay: Bereits vorhanden"),
                     QStringLiteral("Dieser Kürzel ist bereits vergeben."), MessageIcon::Information);
        m_form.txtShort->setFocus();
        return;
    }
    if (OperatorRowCount(m_listControls.lstOperator) >= kMaxOperatorCount) {
        // Settings.ini counts rows in 16 bits: a row beyond that would be
        // lost at the next save without a word.
        m_boxes.show(QStringLiteral("Quorin Relay: Fehler"), QStringLiteral("Die Operatorliste ist voll."),
                     MessageIcon::Information);
        return;
    }
    AppendOperatorRow(m_listControls.lstOperator, typed);
    m_listControls.cmdEdit->setEnabled(true);
    m_listControls.cmdDel->setEnabled(true);
    m_form.accept();
}

bool NewOperatorDialog::shortCodeTaken(const QString& shortCode) const
{
    // Exact comparison: case-sensitive, no trimming.
    const QList<QTreeWidgetItem*> rows = OperatorRows(m_listControls.lstOperator);
    return std::any_of(rows.begin(), rows.end(),
                       [&shortCode](const QTreeWidgetItem* row) { return row->text(ShortCodeColumn) == shortCode; });
}
