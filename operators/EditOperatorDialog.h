#pragma once
// The edit dialog "Operator ändern": filled from the selected row, written
// back without checks (the short code as typed); the operator on duty is
// shown anew so the next image carries the new short code.

#include <QObject>

class FrmEdit;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class EditOperatorDialog : public QObject {
    Q_OBJECT
public:
    EditOperatorDialog(FrmEdit& form, QTreeWidgetItem* row, QLabel* lblOperator);

    // Opens a fresh dialog for the selected row; does nothing without one.
    static void Show(QWidget* mainWindow, QTreeWidget* lstOperator, QLabel* lblOperator);

private:
    void writeBack();

    FrmEdit& m_form;
    QTreeWidgetItem* m_row;
    QLabel* m_lblOperator;
};

// The selected row of the list, or null.
QTreeWidgetItem* SelectedOperatorRow(const QTreeWidget* list);
