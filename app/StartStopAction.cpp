#include "app/StartStopAction.h"

#include "app/RelayStation.h"
#include "operators/OperatorListView.h"
#include "settings/NumberText.h"
#include "settings/RelaySettings.h"
#include "ui/MessageBoxes.h"

#include <exception>

namespace {

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

StartStopAction::StartStopAction(QTreeWidget* lstOperator, RelayStation& station, MessageBoxes& boxes)
    : m_lstOperator(lstOperator), m_station(station), m_boxes(boxes)
{
}

void StartStopAction::run()
{
    try {
        const bool listening = m_station.isListening();
        m_station.replaceServer();
        if (listening)
            stop();
        else
            start();
    } catch (const StartStopFailure&) {
        showNoConnection();
    } catch (const std::exception&) {
        showNoConnection();
    }
}

void StartStopAction::start()
{
    if (!anyOperatorTicked()) {
        m_boxes.show(QStringLiteral("Quorin Relay: Kein Operator ausgewählt."),
                     QStringLiteral("Sie müssen einen Operator auswählen."), MessageIcon::Information);
        m_station.stopListening(LocalPortNumber());
        return;
    }
    if (!m_station.startListening(LocalPortNumber()))
        showNoConnection();
}

void StartStopAction::showNoConnection()
{
    m_boxes.show(QStringLiteral("Quorin Relay: Keine Verbindung"),
                 QStringLiteral("Es konnte keine Verbindung hergestellt werden."), MessageIcon::Error);
}

void StartStopAction::stop()
{
    m_station.stopListening(LocalPortNumber());
}

bool StartStopAction::anyOperatorTicked() const
{
    // Every row is visited, as the list's own loop does; no early exit.
    bool ticked = false;
    const int count = OperatorRowCount(m_lstOperator);
    for (int i = 0; i < count; ++i)
        ticked = IsRowTicked(OperatorRow(m_lstOperator, i)) || ticked;
    return ticked;
}
