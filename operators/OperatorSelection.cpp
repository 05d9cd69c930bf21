#include "operators/OperatorSelection.h"

#include "operators/RelayControl.h"
#include "operators/UserCheckDelegate.h"

#include <QPushButton>
#include <QTreeWidget>

void LoadOperatorRows(QTreeWidget* list, RelayControl& relay, const QList<OperatorEntry>& entries)
{
    for (const OperatorEntry& entry : entries) {
        QTreeWidgetItem* row = AppendOperatorRow(list, entry);
        if (entry.Marker != OperatorEntry::CheckedMarker)
            continue;
        SetRowTicked(row, true);
        list->setCurrentItem(row);
        row->setSelected(true);
        PublishOperatorOnDuty(relay, row);
    }
}

void PublishOperatorOnDuty(RelayControl& relay, const QTreeWidgetItem* row)
{
    const OperatorEntry entry = RowEntry(row);
    relay.setOperatorOnDuty(entry.ShortCode, entry.displayName());
}

void OnOperatorItemCheck(QTreeWidget* list, RelayControl& relay, QTreeWidgetItem* row)
{
    for (QTreeWidgetItem* other : OperatorRows(list)) {
        SetRowTicked(other, false);
        SetRowTag(other, QString());
    }
    PublishOperatorOnDuty(relay, row);
    list->setCurrentItem(row);
    row->setSelected(true);
    SetRowTicked(row, true);
    SetRowTag(row, OperatorEntry::CheckedMarker);
}

OperatorSelection::OperatorSelection(OperatorListControls controls, RelayControl& relay, QObject* parent)
    : QObject(parent), m_controls(controls), m_relay(relay)
{
    auto* delegate = new UserCheckDelegate(controls.lstOperator);
    controls.lstOperator->setItemDelegate(delegate);
    connect(delegate, &UserCheckDelegate::userToggledCheck, this, [this](const QModelIndex& index) {
        if (QTreeWidgetItem* row = OperatorRow(m_controls.lstOperator, index.row()))
            OnOperatorItemCheck(m_controls.lstOperator, m_relay, row);
    });
    connect(controls.lstOperator, &QTreeWidget::itemClicked, this, [this] {
        m_controls.cmdDel->setEnabled(true);
        m_controls.cmdEdit->setEnabled(true);
    });
}
