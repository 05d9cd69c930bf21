#include "app/RelayStation.h"

#include "settings/NumberText.h"
#include "settings/RelaySettings.h"

RelayStation::RelayStation(const RelaySettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings)
{
}

RelayStation::~RelayStation() = default;

ToolkitServer& RelayStation::replaceServer()
{
    auto server = std::make_unique<ToolkitServer>();
    connect(server.get(), &ToolkitServer::ImageReceivedAsync, this, &RelayStation::ImageReceivedAsync);
    server->setServerFlag(true);
    m_server = std::move(server);
    setListening(false, 0);
    return *m_server;
}

bool RelayStation::startListening(qint32 port)
{
    ToolkitServer& server = currentServer();
    if (server.OpenListener(port)) {
        setListening(true, port);
        return true;
    }
    server.CloseListener(port);
    return false;
}

void RelayStation::stopListening(qint32 port)
{
    currentServer().CloseListener(port);
    setListening(false, 0);
}

void RelayStation::stopRelaying()
{
    if (m_server) {
        for (const qint32 port : ToolkitServer::listeningPorts())
            m_server->CloseListener(port);
        if (const std::optional<qint32> port = ToInt32(m_settings.LocalPort))
            m_server->CloseListener(*port);
    }
    setListening(false, 0);
}

void RelayStation::setOperatorOnDuty(const QString& shortCode, const QString& displayName)
{
    if (m_onDuty && m_shortCode == shortCode && m_operatorName == displayName)
        return;
    m_onDuty = true;
    m_shortCode = shortCode;
    m_operatorName = displayName;
    emit operatorOnDutyChanged();
}

void RelayStation::clearOperatorOnDuty()
{
    if (!m_onDuty)
        return;
    m_onDuty = false;
    m_shortCode.clear();
    m_operatorName.clear();
    emit operatorOnDutyChanged();
}

ToolkitServer& RelayStation::currentServer()
{
    return m_server ? *m_server : replaceServer();
}

void RelayStation::setListening(bool listening, qint32 port)
{
    m_port = port;
    if (m_listening == listening)
        return;
    m_listening = listening;
    emit listeningChanged(listening);
}
