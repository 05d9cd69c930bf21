#pragma once
// The settings dialog "Einstellungen": shows sections "Archive" and "Local"
// of Settings.ini as they are in the file, filters what is typed into the IP
// and port boxes, and on apply writes the six keys, reloads the relay
// settings and puts the relay into its stopped state.

#include <QObject>
#include <QString>
#include <functional>

class FrmSettings;
class MessageBoxes;
class QFrame;
class QLineEdit;
class QPushButton;
class QWidget;
class ToolkitServer;

class SettingsDialog : public QObject {
    Q_OBJECT
public:
    struct MainControls {
        QPushButton* cmdStartStop;
        QFrame* picOp;
        std::function<ToolkitServer*()> server; // the main window's current server object
    };

    SettingsDialog(FrmSettings& form, MainControls main, MessageBoxes& boxes);

    static void Show(QWidget* mainWindow, MainControls main, MessageBoxes& boxes);

    void apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void writeSettings();
    QString debugmodeText() const;

    FrmSettings& m_form;
    MainControls m_main;
    MessageBoxes& m_boxes;
    // A stored Debugmode the check box cannot show, written back unchanged
    // as long as the box keeps the state it was loaded with.
    QString m_unshownDebugmode;
    Qt::CheckState m_loadedCheckState = Qt::Unchecked;
};
