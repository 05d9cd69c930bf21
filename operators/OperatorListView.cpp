#include "operators/OperatorListView.h"

#include <QTreeWidget>

namespace {
constexpr int kTagRole = Qt::UserRole + 1;
}

QTreeWidgetItem* AppendOperatorRow(QTreeWidget* list, const OperatorEntry& entry)
{
    auto* row = new QTreeWidgetItem;
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    SetRowFields(row, entry.FirstName, entry.Surname, entry.ShortCode);
    SetRowTag(row, entry.Marker);
    row->setCheckState(FirstNameColumn, Qt::Unchecked);
    list->addTopLevelItem(row);
    return row;
}

OperatorEntry RowEntry(const QTreeWidgetItem* row)
{
    return OperatorEntry{RowTag(row), row->text(FirstNameColumn), row->text(SurnameColumn),
                         row->text(ShortCodeColumn)};
}

QList<OperatorEntry> CollectOperatorRows(const QTreeWidget* list)
{
    QList<OperatorEntry> entries;
    for (const QTreeWidgetItem* row : OperatorRows(list))
        entries.append(RowEntry(row));
    return entries;
}

QList<QTreeWidgetItem*> OperatorRows(const QTreeWidget* list)
{
    QList<QTreeWidgetItem*> rows;
    const int count = OperatorRowCount(list);
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append(OperatorRow(list, i));
    return rows;
}

QTreeWidgetItem* OperatorRow(const QTreeWidget* list, int index)
{
    return list->topLevelItem(index);
}

int OperatorRowCount(const QTreeWidget* list)
{
    return list->topLevelItemCount();
}

QTreeWidgetItem* SelectedOperatorRow(const QTreeWidget* list)
{
    QTreeWidgetItem* current = list->currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QString RowTag(const QTreeWidgetItem* row)
{
    return row->data(FirstNameColumn, kTagRole).toString();
}

void SetRowTag(QTreeWidgetItem* row, const QString& tag)
{
    row->setData(FirstNameColumn, kTagRole, tag);
}

bool IsRowTicked(const QTreeWidgetItem* row)
{
    return row->checkState(FirstNameColumn) == Qt::Checked;
}

void SetRowTicked(QTreeWidgetItem* row, bool ticked)
{
    row->setCheckState(FirstNameColumn, ticked ? Qt::Checked : Qt::Unchecked);
}

void SetRowFields(QTreeWidgetItem* row, const QString& firstName, const QString& surname,
                  const QString& shortCode)
{
    row->setText(FirstNameColumn, firstName);
    row->setText(SurnameColumn, surname);
    row->setText(ShortCodeColumn, shortCode);
}
