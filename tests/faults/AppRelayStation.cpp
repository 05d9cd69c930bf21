#include "AppRelayStation.h"

#include "LoopbackPorts.h"
#include "RelayHarness.h"
#include "settings/RelaySettings.h"
#include "ui/ControlState.h"

namespace quorin::test {

AppRelayStation::AppRelayStation()
    : m_relay(&m_operatorLabel, m_boxes)
{
    setOperator(QStringLiteral("AB"));
    applyCutThroughFromEnvironment();
}

AppRelayStation::~AppRelayStation()
{
    stop();
}

bool AppRelayStation::start(quint16 archivePort)
{
    RelaySettings() = RelaySettingsValues{QStringLiteral("ARCHIVE"), QStringLiteral("127.0.0.1"),
                                          QString::number(archivePort), QStringLiteral("RELAY"),
                                          QString(), QStringLiteral("0")};
    m_server = std::make_unique<ToolkitServer>();
    // Connected first, so it runs before the handler forwards the image.
    QObject::connect(m_server.get(), &ToolkitServer::ImageReceivedAsync, &m_relay, [this] {
        ++m_imagesRaised;
        if (m_beforeHandling)
            m_beforeHandling();
    });
    QObject::connect(m_server.get(), &ToolkitServer::ImageReceivedAsync, &m_relay, &ImageRelay::onImageReceived);
    m_server->setServerFlag(true);
    m_port = freeLoopbackPort();
    RelaySettings().LocalPort = QString::number(m_port);
    return m_server->OpenListener(m_port);
}

void AppRelayStation::stop()
{
    if (m_server)
        m_server->CloseListener(m_port);
    m_server.reset();
}

void AppRelayStation::setArchivePort(quint16 archivePort)
{
    RelaySettings().ArchivePort = QString::number(archivePort);
}

void AppRelayStation::setOperator(const QString& shortCode)
{
    SetTag(&m_operatorLabel, shortCode);
}

} // namespace quorin::test
