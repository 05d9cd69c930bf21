#pragma once
// The start/stop action behind cmdStartStop: its caption is the listener
// state ("Start" = not listening, "Stop" = listening), the lamp picOp shows it
// in colour. Every run replaces the server object first.

#include <functional>

class MessageBoxes;
class QFrame;
class QPushButton;
class QTreeWidget;
class ToolkitServer;

class StartStopAction {
public:
    struct Controls {
        QPushButton* cmdStartStop;
        QFrame* picOp;
        QTreeWidget* lstOperator;
    };
    // Creates a new server object, stores it as the current one (releasing
    // the previous one) and returns it.
    using ServerFactory = std::function<ToolkitServer*()>;

    StartStopAction(Controls controls, MessageBoxes& boxes, ServerFactory newServer);

    void run();

private:
    void start(ToolkitServer& server);
    void stop(ToolkitServer& server);
    bool anyOperatorTicked() const;
    void showNoConnection();

    Controls m_controls;
    MessageBoxes& m_boxes;
    ServerFactory m_newServer;
};
