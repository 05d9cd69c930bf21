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
    stop();
}

bool AppRelayStation::start(quint16 archivePort)
{
    RelaySettings() = RelaySettingsValues{QStringLiteral("ARCHIVE"), QStringLiteral("127.0.0.1"),
                                          QString::number(archivePort), QStringLiteral("RELAY"),
                                          QString(), QStringLiteral("0")};
    m_station.replaceServer();
    m_port = freeLoopbackPort();
    RelaySettings().LocalPort = QString::number(m_port);
    return m_station.startListening(m_port);
}

void AppRelayStation::stop()
{
    if (m_station.isListening())
        m_station.stopListening(m_port);
}

void AppRelayStation::setArchivePort(quint16 archivePort)
{
    RelaySettings().ArchivePort = QString::number(archivePort);
}

void AppRelayStation::setOperator(const QString& shortCode)
{
    m_station.setOperatorOnDuty(shortCode, QString());
}

} // namespace quorin::test
