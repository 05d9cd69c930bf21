#pragma once
// The settings dialog "Einstellungen": shows sections "Archive" and "Local"
// of Settings.ini as they are in the file, filters what is typed into the IP
// and port boxes, and on apply writes the six keys, reloads the relay
// settings handed in and asks the relay to stop (the main window hands the
// request in).

#include <QObject>
#include <QString>
#include <functional>

class FrmSettings;
class MessageBoxes;
class QWidget;
struct RelaySettings;

class SettingsDialog : public QObject {
    Q_OBJECT
public:
    using StopRequest = std::function<void()>;

    SettingsDialog(FrmSettings& form, RelaySettings& settings, StopRequest stopRelaying, MessageBoxes& boxes);

    static void showModal(QWidget* mainWindow, RelaySettings& settings, StopRequest stopRelaying, MessageBoxes& boxes);

    void apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load();
    void writeSettings();
    QString debugmodeText() const;

    FrmSettings& m_form;
    RelaySettings& m_settings;
    StopRequest m_stopRelaying;
    MessageBoxes& m_boxes;
    // A stored Debugmode the check box cannot show, written back unchanged
    // as long as the box keeps the state it was loaded with.
    QString m_unshownDebugmode;
    Qt::CheckState m_loadedCheckState = Qt::Unchecked;
};
