#pragma once
// The new-operator dialog "Neu anlegen": checks the three boxes, refuses a
// short code already in the list and appends the operator as the last row,
// unticked. The list reaches Settings.ini when the main window closes.

#include "operators/OperatorDialog.h"
#include "operators/OperatorListView.h"

class FrmNew;
class MessageBoxes;
class QWidget;

class NewOperatorDialog : public OperatorDialog {
    Q_OBJECT
public:
    NewOperatorDialog(FrmNew& form, OperatorListControls listControls, MessageBoxes& boxes);

    // Opens a fresh dialog modally over mainWindow and returns when it closes.
    static void showModal(QWidget* mainWindow, OperatorListControls listControls, MessageBoxes& boxes);

private:
    void upperCaseShortCode();
    void add();
    bool shortCodeTaken(const QString& shortCode) const;

    OperatorListControls m_listControls;
    MessageBoxes& m_boxes;
};
