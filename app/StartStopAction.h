#pragma once
// The start/stop action behind cmdStartStop: a stopped relay starts
// listening on LocalPort, a listening one stops. Every run replaces the
// server object first. What the caption and the lamp show follows the
// relay station.

class MessageBoxes;
class QTreeWidget;
class RelayStation;

class StartStopAction {
public:
    StartStopAction(QTreeWidget* lstOperator, RelayStation& station, MessageBoxes& boxes);

    void run();

private:
    void start();
    void stop();
    bool anyOperatorTicked() const;
    void showNoConnection();

    QTreeWidget* m_lstOperator;
    RelayStation& m_station;
    MessageBoxes& m_boxes;
};
