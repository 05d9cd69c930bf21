#pragma once
// The new-operator dialog "Neu anlegen": checks the three boxes, refuses a
// short code already in the list and appends the operator as the last row,
// unticked. The list reaches Settings.ini when the main window closes.

#include <QObject>

class FrmNew;
class MessageBoxes;
class QPushButton;
class QTreeWidget;
class QWidget;

class NewOperatorDialog : public QObject {
    Q_OBJECT
public:
    struct MainControls {
        QTreeWidget* lstOperator;
        QPushButton* cmdEdit;
        QPushButton* cmdDel;
    };

    NewOperatorDialog(FrmNew& form, MainControls main, MessageBoxes& boxes);

    // Opens a fresh dialog modally over mainWindow and returns when it closes.
    static void Show(QWidget* mainWindow, MainControls main, MessageBoxes& boxes);

private:
    void upperCaseShortCode();
    void add();
    bool shortCodeTaken(const QString& shortCode) const;

    FrmNew& m_form;
    MainControls m_main;
    MessageBoxes& m_boxes;
};
