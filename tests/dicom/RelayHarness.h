#pragma once
// A relay as the application runs it, for tests: a ToolkitServer on a free
// port whose handler stamps (0008,1070) and forwards each image, recording
// the outcome of every forward.

#include "EventLoopWait.h"
#include "LoopbackPorts.h"
#include "dicom/ForwardResult.h"
#include "dicom/ToolkitServer.h"
#include "dicom/internal/RelayPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QObject>
#include <memory>

// QUORIN_CUT_THROUGH=0 (or 1) in the environment switches cut-through off
// (or on) for the relays of a test run, so CTest runs the relay tests on
// both paths; called by the relay harnesses.
inline void applyCutThroughFromEnvironment()
{
    const QByteArray cutThrough = qgetenv("QUORIN_CUT_THROUGH");
    if (!cutThrough.isEmpty())
        quorin::dicom::setCutThroughEnabled(cutThrough != "0");
}

// The folder the relay keeps received images in.
inline QString relayTemporaryFolder()
{
    return QDir::temp().filePath(QStringLiteral("quorinrelay-%1").arg(QCoreApplication::applicationPid()));
}

// Files left in it.
inline QStringList leftoverTemporaryFiles()
{
    return QDir(relayTemporaryFolder()).entryList(QDir::Files);
}

// Waits until there are none; a worker removes an image's file just after it
// answered the sender, so the sender may finish a moment before that.
inline bool waitForNoTemporaryFiles(int timeoutMs = 5000)
{
    return quorin::test::waitUntil([] { return leftoverTemporaryFiles().isEmpty(); }, timeoutMs);
}

class RelayHarness : public QObject {
    Q_OBJECT
public:
    RelayHarness() { applyCutThroughFromEnvironment(); }
    ~RelayHarness() override { stop(); }

    // Opens the listener on a free port; false when that failed.
    bool start()
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
    void stop()
    {
        if (m_server)
            m_server->CloseListener(m_port);
        m_server.reset();
    }
    ToolkitServer& server() { return *m_server; }
    quint16 port() const { return m_port; }

    void setArchive(quint16 port, const QString& aeTitle = QStringLiteral("ARCHIVE"))
    {
        m_archivePort = port;
        m_archiveAE = aeTitle;
    }
    void setStamp(const QString& stamp) { m_stamp = stamp; }
    // Off: the handler drops each image without forwarding it.
    void setForwarding(bool on) { m_forwarding = on; }
    // Called in the handler before the image is dealt with.
    void setBeforeHandling(std::function<void()> hook) { m_beforeHandling = std::move(hook); }

    int imagesRaised() const { return m_imagesRaised; }
    const QList<ForwardResult>& results() const { return m_results; }
    // Waits (event loop running) until `count` forwards have reported back.
    bool waitForResults(int count, int timeoutMs = 30000) const
    {
        return quorin::test::waitUntil([&] { return m_results.size() >= count; }, timeoutMs);
    }

private:
    std::unique_ptr<ToolkitServer> m_server;
    quint16 m_port = 0;
    quint16 m_archivePort = 0;
    QString m_archiveAE = QStringLiteral("ARCHIVE");
    QString m_stamp = QStringLiteral("AB");
    bool m_forwarding = true;
    std::function<void()> m_beforeHandling;
    int m_imagesRaised = 0;
    QList<ForwardResult> m_results;
};
