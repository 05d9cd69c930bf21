#include "app/StartStopAction.h"

#include "dicom/ToolkitServer.h"
#include "operators/OperatorListView.h"
#include "settings/NumberText.h"
#include "settings/RelaySettings.h"
#include "ui/ControlState.h"
#include "ui/MessageBoxes.h"

#include <QFrame>
#include <QPushButton>
#include <QTreeWidget>
#include <exception>

namespace {

const QString StartCaption = QStringLiteral("Start");
const QString StopCaption = QStringLiteral("Stop");

// Any failure abandons the remaining steps of the action.
struct StartStopFailure {};

qint32 LocalPortNumber()
{
    const std::optional<qint32> port = ToInt32(RelaySettings().LocalPort);
    if (!port)
        throw StartStopFailure{};
    return *port;
}

} // namespace

StartStopAction::StartStopAction(Controls controls, MessageBoxes& boxes, ServerFactory newServer)
    : m_controls(controls), m_boxes(boxes), m_newServer(std::move(newServer))
{
}

void StartStopAction::run()
{
    try {
        ToolkitServer* server = m_newServer();
        if (!server)
            throw StartStopFailure{};
        server->setServerFlag(true);
        const QString caption = m_controls.cmdStartStop->text();
        if (caption == StartCaption)
            start(*server);
        else if (caption == StopCaption)
            stop(*server);
    } catch (const StartStopFailure&) {
        showNoConnection();
    } catch (const std::exception&) {
        showNoConnection();
    }
}

void StartStopAction::start(ToolkitServer& server)
{
    if (!anyOperatorTicked()) {
        m_boxes.show(QStringLiteral("Quorin Relay: Kein Operator ausgewählt."),
                     QStringLiteral("Sie müssen einen Operator auswählen."), MessageIcon::Information);
        SetBackColor(m_controls.picOp, ColorRed);
        server.CloseListener(LocalPortNumber());
        return;
    }
    const qint32 port = LocalPortNumber();
    if (server.OpenListener(port)) {
        SetBackColor(m_controls.picOp, ColorGreen);
        m_controls.cmdStartStop->setText(StopCaption);
        return;
    }
    server.CloseListener(port);
    SetBackColor(m_controls.picOp, ColorRed);
    showNoConnection();
}

void StartStopAction::showNoConnection()
{
    m_boxes.show(QStringLiteral("Quorin Relay: Keine Verbindung"),
                 QStringLiteral("Es konnte keine Verbindung hergestellt werden."), MessageIcon::Error);
}

void StartStopAction::stop(ToolkitServer& server)
{
    SetBackColor(m_controls.picOp, ColorRed);
    server.CloseListener(LocalPortNumber());
    m_controls.cmdStartStop->setText(StartCaption);
}

bool StartStopAction::anyOperatorTicked() const
{
    // Every row is visited, as the list's own loop does; no early exit.
    bool ticked = false;
    const int count = OperatorRowCount(m_controls.lstOperator);
    for (int i = 0; i < count; ++i)
        ticked = IsRowTicked(OperatorRow(m_controls.lstOperator, i)) || ticked;
    return ticked;
}
