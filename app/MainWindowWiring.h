#pragma once
// What ties the main window (the layout FrmMain) to the program: it runs
// the window's load step and close sequence and wires its controls to their
// handlers, which live with their subsystems. It owns the relay's state,
// RelayStation, which the window's controls follow.

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

class MainWindowWiring : public QObject {
    Q_OBJECT
public:
    // settings: the program's relay settings, filled by the load step and
    // the settings dialog, read by the station, the start/stop action and
    // the image relay.
    MainWindowWiring(FrmMain& form, RelaySettings& settings, MessageBoxes& boxes);
    ~MainWindowWiring() override;

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
    const OperatorListControls m_listControls;
    OperatorSelection m_selection;
    ImageRelay m_relay;
    StartStopAction m_startStop;
};
