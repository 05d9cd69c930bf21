#pragma once
// The main window's behaviour: the load step, the close sequence, and the
// wiring of its handlers. The layout is FrmMain; the handlers live with
// their subsystems; the relay's state lives in RelayStation, which the
// window's controls follow.

#include "app/ImageRelay.h"
#include "app/RelayStation.h"
#include "app/StartStopAction.h"
#include "operators/OperatorSelection.h"

#include <QObject>

class FrmMain;
class MessageBoxes;
struct RelaySettings;

// cmdStartStop's caption ("Start" = not listening, "Stop" = listening), the
// lamp picOp (red / green) and lblOperator (the display name, or "Kein
// Operator ausgewählt") show the station's state now and follow it from
// then on.
void FollowRelayStation(const RelayStation& station, FrmMain& form);

class MainWindow : public QObject {
    Q_OBJECT
public:
    // settings: the program's relay settings, filled by the load step and
    // the settings dialog, read by the station, the start/stop action and
    // the image relay.
    MainWindow(FrmMain& form, RelaySettings& settings, MessageBoxes& boxes);
    ~MainWindow() override;

    // The load step: caption, operators, and with Settings.ini the settings
    // and the automatic start. Run before the window is shown.
    void load();

    RelayStation& station() { return m_station; }

private:
    void connectDialogs();
    void unload();

    FrmMain& m_form;
    MessageBoxes& m_boxes;
    RelaySettings& m_settings;
    RelayStation m_station;
    const OperatorListControls m_list;
    OperatorSelection m_selection;
    ImageRelay m_relay;
    StartStopAction m_startStop;
};
