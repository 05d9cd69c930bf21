#include "app/StartStopAction.h"

#include "app/RelayStation.h"
#include "operators/OperatorListView.h"
#include "settings/NumberText.h"
#include "settings/RelaySettings.h"
#include "ui/MessageBoxes.h"

#include <algorithm>
#include <exception>

StartStopAction::StartStopAction(QTreeWidget* lstOperator, RelayStation& station, const RelaySettings& settings,
                                 MessageBoxes& boxes)
    : m_lstOperator(lstOperator), m_station(station), m_settings(settings), m_boxes(boxes)
{
}

void StartStopAction::run()
{
    try {
        const bool listening = m_station.isListening();
        m_station.replaceServer();
        if (!(listening ? stop() : start()))
            showNoConnection();
    } catch (const std::exception&) {
        // A listener that cannot be set up (no thread for it) is no
        // connection either.
        showNoConnection();
    }
}

bool StartStopAction::start()
{
    if (!anyOperatorTicked()) {
        m_boxes.show(QStringLiteral("Quorin Relay: Kein Operator ausgewählt."),
                     QStringLiteral("Sie müssen einen Operator auswählen."), MessageIcon::Information);
        return stop();
    }
    const std::optional<qint32> port = ToInt32(m_settings.LocalPort);
    return port && m_station.startListening(*port);
}

void StartStopAction::showNoConnection()
{
    m_boxes.show(QStringLiteral("Quorin Relay: Keine Verbindung"),
                 QStringLiteral("Es konnte keine Verbindung hergestellt werden."), MessageIcon::Error);
}

bool StartStopAction::stop()
{
    const std::optional<qint32> port = ToInt32(m_settings.LocalPort);
    if (!port)
        return false;
    m_station.stopListening(*port);
    return true;
}

bool StartStopAction::anyOperatorTicked() const
{
    const QList<QTreeWidgetItem*> rows = OperatorRows(m_lstOperator);
    return std::any_of(rows.begin(), rows.end(), IsRowTicked);
}
