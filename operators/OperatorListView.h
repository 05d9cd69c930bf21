#pragma once
// The rows of lstOperator: text = first name, sub-item 1 = surname,
// sub-item 2 = short code, a hidden tag (the stored marker) and a check box.

#include "operators/OperatorEntry.h"

#include <QList>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

enum OperatorColumn { FirstNameColumn = 0, SurnameColumn = 1, ShortCodeColumn = 2 };

// The main window's list and the buttons that act on its selected row.
struct OperatorListControls {
    QTreeWidget* lstOperator;
    QPushButton* cmdEdit;
    QPushButton* cmdDel;
};

QTreeWidgetItem* AppendOperatorRow(QTreeWidget* list, const OperatorEntry& entry);
OperatorEntry RowEntry(const QTreeWidgetItem* row); // Marker from the tag
QList<OperatorEntry> CollectOperatorRows(const QTreeWidget* list);
// Every row, first to last: the one walk over the list.
QList<QTreeWidgetItem*> OperatorRows(const QTreeWidget* list);
QTreeWidgetItem* OperatorRow(const QTreeWidget* list, int index);
int OperatorRowCount(const QTreeWidget* list);
// The selected row, or null.
QTreeWidgetItem* SelectedOperatorRow(const QTreeWidget* list);

QString RowTag(const QTreeWidgetItem* row);
void SetRowTag(QTreeWidgetItem* row, const QString& tag);
bool IsRowTicked(const QTreeWidgetItem* row);
// A tick set by the program; it never runs the tick handler.
void SetRowTicked(QTreeWidgetItem* row, bool ticked);
void SetRowFields(QTreeWidgetItem* row, const QString& firstName, const QString& surname,
                  const QString& shortCode);
