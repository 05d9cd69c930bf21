#include "operators/OperatorSelection.h"

#include "operators/OperatorListView.h"
#include "operators/UserCheckDelegate.h"
#include "ui/ControlState.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

const QString NoOperatorCaption = QStringLiteral("Kein Operator ausgewählt");

void LoadOperatorRows(QTreeWidget* list, QLabel* lblOperator, const QList<OperatorEntry>& entries)
{
    for (const OperatorEntry& entry : entries) {
        QTreeWidgetItem* row = AppendOperatorRow(list, entry);
        if (entry.Marker != OperatorEntry::CheckedMarker)
            continue;
        SetRowTicked(row, true);
        list->setCurrentItem(row);
        row->setSelected(true);
        PublishOperatorOnDuty(lblOperator, row);
    }
}

void PublishOperatorOnDuty(QLabel* lblOperator, const QTreeWidgetItem* row)
{
    const OperatorEntry entry = RowEntry(row);
    lblOperator->setText(entry.displayName());
    SetTag(lblOperator, entry.ShortCode);
}

void ClearOperatorOnDuty(QLabel* lblOperator)
{
    SetTag(lblOperator, QString());
    lblOperator->setText(NoOperatorCaption);
}

void OnOperatorItemCheck(QTreeWidget* list, QLabel* lblOperator, QTreeWidgetItem* row)
{
    const int count = OperatorRowCount(list);
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* other = OperatorRow(list, i);
        SetRowTicked(other, false);
        SetRowTag(other, QString());
    }
    PublishOperatorOnDuty(lblOperator, row);
    list->setCurrentItem(row);
    row->setSelected(true);
    SetRowTicked(row, true);
    SetRowTag(row, OperatorEntry::CheckedMarker);
}

OperatorSelection::OperatorSelection(QTreeWidget* list, QLabel* lblOperator, QPushButton* cmdEdit,
                                     QPushButton* cmdDel, QObject* parent)
    : QObject(parent), m_list(list), m_lblOperator(lblOperator), m_cmdEdit(cmdEdit), m_cmdDel(cmdDel)
{
    auto* delegate = new UserCheckDelegate(list);
    list->setItemDelegate(delegate);
    connect(delegate, &UserCheckDelegate::userToggledCheck, this, [this](const QModelIndex& index) {
        if (QTreeWidgetItem* row = OperatorRow(m_list, index.row()))
            OnOperatorItemCheck(m_list, m_lblOperator, row);
    });
    connect(list, &QTreeWidget::itemClicked, this, [this] {
        m_cmdDel->setEnabled(true);
        m_cmdEdit->setEnabled(true);
    });
}
