#include "operators/DeleteOperator.h"

#include "app/ListenerStop.h"
#include "operators/EditOperatorDialog.h"
#include "operators/OperatorListView.h"
#include "operators/OperatorSelection.h"
#include "ui/ControlState.h"
#include "ui/MessageBoxes.h"

#include <QPushButton>
#include <QTreeWidget>

void DeleteSelectedOperator(const DeleteOperatorControls& controls, ToolkitServer* server, MessageBoxes& boxes)
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
        ClearOperatorOnDuty(controls.lblOperator);
        StopListeners(server);
        SetBackColor(controls.picOp, ColorRed);
        controls.cmdStartStop->setText(QStringLiteral("Start"));
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
