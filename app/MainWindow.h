#pragma once
// The main window's behaviour: the load step, the close sequence, and the
// wiring of its handlers. The layout is FrmMain; the handlers live with
// their subsystems.

#include "app/ImageRelay.h"
#include "app/StartStopAction.h"
#include "operators/OperatorSelection.h"

#include <QObject>
#include <memory>

class FrmMain;
class MessageBoxes;
class ToolkitServer;

class MainWindow : public QObject {
    Q_OBJECT
public:
    MainWindow(FrmMain& form, MessageBoxes& boxes);
    ~MainWindow() override;

    // The load step: operators, caption, lamp, and with Settings.ini the
    // settings and the automatic start. Run before the window is shown.
    void load();

    // The current server object (DcmSvr); null until the first start/stop.
    ToolkitServer* server() const { return m_dcmSvr.get(); }

    StartStopAction& startStopAction() { return m_startStop; }

private:
    void connectDialogs();
    ToolkitServer* replaceServer();
    void unload();

    FrmMain& m_form;
    MessageBoxes& m_boxes;
    std::unique_ptr<ToolkitServer> m_dcmSvr;
    OperatorSelection m_selection;
    ImageRelay m_relay;
    StartStopAction m_startStop;
};
