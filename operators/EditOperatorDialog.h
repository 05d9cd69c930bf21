#pragma once
// The edit dialog "Operator ändern": filled from the selected row, written
// back without checks (the short code as typed); the operator on duty is
// put on duty anew so the next image carries the new short code.

#include "operators/OperatorDialog.h"

class FrmEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class RelayControl;

class EditOperatorDialog : public OperatorDialog {
    Q_OBJECT
public:
    EditOperatorDialog(FrmEdit& form, QTreeWidgetItem* row, RelayControl& relay);

    // Opens a fresh dialog for the selected row; does nothing without one.
    static void showModal(QWidget* mainWindow, QTreeWidget* lstOperator, RelayControl& relay);

private:
    void writeBack();

    QTreeWidgetItem* m_row;
    RelayControl& m_relay;
};
