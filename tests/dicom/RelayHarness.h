#pragma once
// A relay as the application runs it, for tests: a ToolkitServer on a free
// port whose handler stamps (0008,1070) and forwards each image, recording
// the outcome of every forward.

#include "EventLoopWait.h"
#include "dicom/ForwardResult.h"
#include "dicom/ToolkitServer.h"

#include <QObject>
#include <memory>

class RelayHarness : public QObject {
    Q_OBJECT
public:
    RelayHarness();
    ~RelayHarness() override { stop(); }

    // Opens the listener on a free port; false when that failed.
    bool start();
    void stop();
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

// QUORIN_CUT_THROUGH=0 (or 1) in the environment switches cut-through off
// (or on) for the relays of a test run, so CTest runs the relay tests on
// both paths; called by the relay harnesses.
void applyCutThroughFromEnvironment();

// Files left in the folder the relay keeps received images in.
QStringList leftoverTemporaryFiles();
// Waits until there are none; a worker removes an image's file just after it
// answered the sender, so the sender may finish a moment before that.
bool waitForNoTemporaryFiles(int timeoutMs = 5000);
// The folder itself.
QString relayTemporaryFolder();
