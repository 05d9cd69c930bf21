#pragma once
// The start/stop action behind cmdStartStop: a stopped relay starts
// listening on LocalPort, a listening one stops. Every run replaces the
// server object first. What the caption and the lamp show follows the
// relay station.

class MessageBoxes;
class QTreeWidget;
class RelayStation;
struct RelaySettings;

class StartStopAction {
public:
    // settings: LocalPort, read at each run.
    StartStopAction(QTreeWidget* lstOperator, RelayStation& station, const RelaySettings& settings,
                    MessageBoxes& boxes);

    void run();

private:
    // False when the relay could not be started or stopped (LocalPort not a
    // number, the port not to be had): "Keine Verbindung".
    bool start();
    bool stop();
    bool anyOperatorTicked() const;
    void showNoConnection();

    QTreeWidget* m_lstOperator;
    RelayStation& m_station;
    const RelaySettings& m_settings;
    MessageBoxes& m_boxes;
};
