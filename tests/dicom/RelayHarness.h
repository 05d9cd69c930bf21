#pragma once
// A relay as the application runs it, for tests: a ToolkitServer on a free
// port whose handler stamps (0008,1070) and forwards each image, recording
// what it saw and the outcome of every forward.

#include "dicom/ForwardResult.h"
#include "dicom/ToolkitServer.h"

#include <QObject>
#include <QStringList>
#include <memory>

class RelayHarness : public QObject {
    Q_OBJECT
public:
    enum class Decision {
        Forward, // stamp and forward (the relay's normal work)
        LetGo,   // drop the image without forwarding
    };

    RelayHarness();
    ~RelayHarness() override;

    // Opens the listener on a free port; false when that failed.
    bool start();
    void stop();
    ToolkitServer& server() { return *m_server; }
    quint16 port() const { return m_port; }

    void setArchive(quint16 port, const QString& aeTitle = QStringLiteral("ARCHIVE"));
    void setStamp(const QString& stamp) { m_stamp = stamp; }
    void setDecision(Decision decision) { m_decision = decision; }
    // Called in the handler before the image is dealt with.
    void setBeforeHandling(std::function<void()> hook) { m_beforeHandling = std::move(hook); }

    int imagesRaised() const { return m_imageTexts.size(); }
    const QStringList& imageTexts() const { return m_imageTexts; }
    const QList<ForwardResult>& results() const { return m_results; }
    // Waits (event loop running) until `count` forwards have reported back.
    bool waitForResults(int count, int timeoutMs = 30000) const;

private:
    void onImage(std::shared_ptr<ToolkitConnection> connection, std::shared_ptr<ToolkitImage> image);

    std::unique_ptr<ToolkitServer> m_server;
    quint16 m_port = 0;
    quint16 m_archivePort = 0;
    QString m_archiveAE = QStringLiteral("ARCHIVE");
    QString m_stamp = QStringLiteral("AB");
    Decision m_decision = Decision::Forward;
    std::function<void()> m_beforeHandling;
    QStringList m_imageTexts;
    QList<ForwardResult> m_results;
};

// QUORIN_CUT_THROUGH=0 (or 1) in the environment switches cut-through off
// (or on) for the relays of a test run, so CTest runs the relay tests on
// both paths; called by the relay harnesses.
void applyCutThroughFromEnvironment();

// The folder the relay keeps received images in while they are relayed.
QString relayTemporaryFolder();
// Files left in it.
QStringList leftoverTemporaryFiles();
// Waits until it is empty; a worker removes an image's file just after it
// answered the sender, so the sender may finish a moment before that.
bool waitForNoTemporaryFiles(int timeoutMs = 5000);
