#pragma once
// Deleting the selected operator after a confirmation. Deleting the operator
// on duty clears lblOperator and stops relaying.

#include <functional>

class MessageBoxes;
class QFrame;
class QLabel;
class QPushButton;
class QTreeWidget;
class ToolkitServer;

struct DeleteOperatorControls {
    QTreeWidget* lstOperator;
    QLabel* lblOperator;
    QPushButton* cmdEdit;
    QPushButton* cmdDel;
    QPushButton* cmdStartStop;
    QFrame* picOp;
};

// server: the main window's current server object (may be null when the
// listener was never started in this run).
void DeleteSelectedOperator(const DeleteOperatorControls& controls, ToolkitServer* server, MessageBoxes& boxes);
