#include "operators/DeleteOperator.h"

#include "operators/RelayControl.h"
#include "ui/MessageBoxes.h"

#include <QPushButton>
#include <QTreeWidget>

void DeleteSelectedOperator(const OperatorListControls& controls, RelayControl& relay, MessageBoxes& boxes)
{
    QTreeWidgetItem* row = SelectedOperatorRow(controls.lstOperator);
    if (!row)
        return;
    const MessageAnswer answer =
        boxes.show(QStringLiteral("Quorin Relay: Wirklich löchen?"),
                   QStringLiteral("Wollen Sie den Operator wirklich löschen?"), MessageIcon::Question,
                   MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
        return;

    if (IsRowTicked(row)) {
        // The stamp is emptied before the listener stops.
        relay.clearOperatorOnDuty();
        relay.stopRelaying();
    }

    delete controls.lstOperator->takeTopLevelItem(controls.lstOperator->indexOfTopLevelItem(row));

    const int remaining = OperatorRowCount(controls.lstOperator);
    if (remaining > 0) {
        QTreeWidgetItem* last = OperatorRow(controls.lstOperator, remaining - 1);
        controls.lstOperator->setCurrentItem(last);
        last->setSelected(true);
    } else {
        controls.cmdDel->setEnabled(false);
        controls.cmdEdit->setEnabled(false);
    }
}
