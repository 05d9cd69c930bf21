#include "operators/OperatorSelection.h"

#include "operators/OperatorListView.h"
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

OperatorSelection::OperatorSelection(QTreeWidget* list, RelayControl& relay, QPushButton* cmdEdit,
                                     QPushButton* cmdDel, QObject* parent)
    : QObject(parent), m_list(list), m_relay(relay), m_cmdEdit(cmdEdit), m_cmdDel(cmdDel)
{
    auto* delegate = new UserCheckDelegate(list);
    list->setItemDelegate(delegate);
    connect(delegate, &UserCheckDelegate::userToggledCheck, this, [this](const QModelIndex& index) {
        if (QTreeWidgetItem* row = OperatorRow(m_list, index.row()))
            OnOperatorItemCheck(m_list, m_relay, row);
    });
    connect(list, &QTreeWidget::itemClicked, this, [this] {
        m_cmdDel->setEnabled(true);
        m_cmdEdit->setEnabled(true);
    });
}
