#pragma once
// The operator on duty: the ticked row of lstOperator, published to the
// relay (display name, and the short code it stamps into every image).

#include "operators/OperatorEntry.h"
#include "operators/OperatorListView.h"

#include <QList>
#include <QObject>

class QTreeWidget;
class QTreeWidgetItem;
class RelayControl;

// Fills the empty list from stored entries; an entry marked "Checked" is
// ticked, selected and put on duty (the last one wins).
void LoadOperatorRows(QTreeWidget* list, RelayControl& relay, const QList<OperatorEntry>& entries);

// Puts row's operator on duty.
void PublishOperatorOnDuty(RelayControl& relay, const QTreeWidgetItem* row);

// The user's tick on row: whatever the click did, row ends up the only
// ticked row, selected, tagged "Checked" and on duty.
void OnOperatorItemCheck(QTreeWidget* list, RelayControl& relay, QTreeWidgetItem* row);

// Binds the tick and click handlers to the list of the main window.
class OperatorSelection : public QObject {
    Q_OBJECT
public:
    OperatorSelection(OperatorListControls controls, RelayControl& relay, QObject* parent = nullptr);

private:
    OperatorListControls m_controls;
    RelayControl& m_relay;
};
