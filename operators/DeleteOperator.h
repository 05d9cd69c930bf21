#pragma once
// Deleting the selected operator after a confirmation. Deleting the operator
// on duty leaves nobody on duty and stops relaying.

class MessageBoxes;
class QPushButton;
class QTreeWidget;
class RelayControl;

struct DeleteOperatorControls {
    QTreeWidget* lstOperator;
    QPushButton* cmdEdit;
    QPushButton* cmdDel;
};

void DeleteSelectedOperator(const DeleteOperatorControls& controls, RelayControl& relay, MessageBoxes& boxes);
