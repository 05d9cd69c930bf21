#pragma once
// Layout of the main window: controls, texts, geometry, fonts, tab order,
// menu and list columns. No behaviour: app/ binds to the controls.

#include <QMainWindow>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);

    QTreeWidget* lstOperator = nullptr; // columns "    Vorname", "Nachname", "Kürzel"; check boxes
    QPushButton* cmdStartStop = nullptr; // default button
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdClose = nullptr;
    QFrame* picOp = nullptr;             // the status lamp
    QLabel* Label1 = nullptr;            // "Aktiver Operator:"
    QLabel* lblOperator = nullptr;       // display name of the operator on duty
    QMenu* mnuFile = nullptr;            // "Datei"
    QAction* mnuSave = nullptr;          // "Speichern", never available
    QAction* mnuClose = nullptr;         // "Beenden"
    QAction* mnuSettings = nullptr;      // "Einstellungen"

signals:
    // Emitted when the window is being closed (any way); the close goes on.
    void unloading();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter that no control took (the list ignores it) presses the default
    // button, as in a dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildMenu();
    void buildClientArea();
    void buildOperatorList(QWidget* client);
    void buildButtons(QWidget* client);
    void buildLamp(QWidget* client);
};
