#include "RelayHarness.h"

#include "LoopbackPorts.h"
#include "dicom/internal/RelayPaths.h"

#include <QCoreApplication>
#include <QDir>

RelayHarness::RelayHarness()
{
    applyCutThroughFromEnvironment();
}

bool RelayHarness::start()
{
    m_server = std::make_unique<ToolkitServer>();
    m_server->setServerFlag(true);
    connect(m_server.get(), &ToolkitServer::ImageReceivedAsync, this,
            [this](std::shared_ptr<ToolkitConnection>, std::shared_ptr<ToolkitImage> image) {
                ++m_imagesRaised;
                if (m_beforeHandling)
                    m_beforeHandling();
                if (!m_forwarding)
                    return;
                image->ImageAttributes().PutAttribute(0x0008, 0x1070, m_stamp);
                image->ForwardImage(QStringLiteral("127.0.0.1"), m_archivePort, QStringLiteral("QUORIN"),
                                    m_archiveAE, this, [this](const ForwardResult& result) { m_results << result; });
            });
    m_port = quorin::test::freeLoopbackPort();
    return m_server->OpenListener(m_port);
}

void RelayHarness::stop()
{
    if (m_server)
        m_server->CloseListener(m_port);
    m_server.reset();
}

void applyCutThroughFromEnvironment()
{
    const QByteArray cutThrough = qgetenv("QUORIN_CUT_THROUGH");
    if (!cutThrough.isEmpty())
        quorin::dicom::setCutThroughEnabled(cutThrough != "0");
}

QString relayTemporaryFolder()
{
    return QDir::temp().filePath(QStringLiteral("quorinrelay-%1").arg(QCoreApplication::applicationPid()));
}

QStringList leftoverTemporaryFiles()
{
    return QDir(relayTemporaryFolder()).entryList(QDir::Files);
}

bool waitForNoTemporaryFiles(int timeoutMs)
{
    return quorin::test::waitUntil([] { return leftoverTemporaryFiles().isEmpty(); }, timeoutMs);
}
