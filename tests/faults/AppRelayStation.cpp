#include "AppRelayStation.h"

#include "LoopbackPorts.h"
#include "RelayHarness.h"
#include "settings/RelaySettings.h"

namespace quorin::test {

AppRelayStation::AppRelayStation()
    : m_relay(m_station, m_boxes)
{
    // Connected first, so it runs before the handler forwards the image.
    QObject::connect(&m_station, &RelayStation::ImageReceivedAsync, &m_relay, [this] {
        ++m_imagesRaised;
        if (m_beforeHandling)
            m_beforeHandling();
    });
    QObject::connect(&m_station, &RelayStation::ImageReceivedAsync, &m_relay, &ImageRelay::onImageReceived);
    setOperator(QStringLiteral("AB"));
    applyCutThroughFromEnvironment();
}

AppRelayStation::~AppRelayStation()
{
    if (m_station.isListening())
        m_station.stopListening(m_port);
}

bool AppRelayStation::start(quint16 archivePort)
{
    m_port = freeLoopbackPort();
    RelaySettings() = RelaySettingsValues{QStringLiteral("ARCHIVE"), QStringLiteral("127.0.0.1"),
                                          QString::number(archivePort), QStringLiteral("RELAY"),
                                          QString::number(m_port), QStringLiteral("0")};
    m_station.replaceServer();
    return m_station.startListening(m_port);
}

void AppRelayStation::setArchivePort(quint16 archivePort)
{
    RelaySettings().ArchivePort = QString::number(archivePort);
}

} // namespace quorin::test
