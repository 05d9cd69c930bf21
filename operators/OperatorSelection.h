#pragma once
// The operator on duty: the ticked row of lstOperator, published through
// lblOperator (caption = display name, tag = short code, which the relay
// stamps into every image).

#include "operators/OperatorEntry.h"

#include <QList>
#include <QObject>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

extern const QString NoOperatorCaption; // "Kein Operator ausgewählt"

// Fills the empty list from stored entries; an entry marked "Checked" is
// ticked and selected and shown in lblOperator (the last one wins).
void LoadOperatorRows(QTreeWidget* list, QLabel* lblOperator, const QList<OperatorEntry>& entries);

// Shows row as the operator on duty in lblOperator.
void PublishOperatorOnDuty(QLabel* lblOperator, const QTreeWidgetItem* row);
void ClearOperatorOnDuty(QLabel* lblOperator);

// The user's tick on row: whatever the click did, row ends up the only
// ticked row, selected, tagged "Checked" and shown in lblOperator.
void OnOperatorItemCheck(QTreeWidget* list, QLabel* lblOperator, QTreeWidgetItem* row);

// Binds the tick and click handlers to the list of the main window.
class OperatorSelection : public QObject {
    Q_OBJECT
public:
    OperatorSelection(QTreeWidget* list, QLabel* lblOperator, QPushButton* cmdEdit,
                      QPushButton* cmdDel, QObject* parent = nullptr);

private:
    QTreeWidget* m_list;
    QLabel* m_lblOperator;
    QPushButton* m_cmdEdit;
    QPushButton* m_cmdDel;
};
