#pragma once
// The relay as the application runs it, without the window: the
// application's RelayStation, whose images go to its own handler
// (app/ImageRelay) on this thread, which stamps the operator on duty and
// forwards to the archive in RelaySettings (127.0.0.1, AE title ARCHIVE,
// calling AE title QUORIN, debug log off). Transfer messages are counted,
// not shown, and answered at once; the program folder is a temporary one.

#include "EventLoopWait.h"
#include "LoopbackPorts.h"
#include "TestFiles.h"
#include "app/ImageRelay.h"
#include "app/RelayStation.h"
#include "dicom/internal/RelayWay.h"
#include "settings/AppPaths.h"
#include "settings/RelaySettings.h"
#include "ui/MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <functional>

// The relay's failure, as storescu -v prints it.
const QString kRefused = QStringLiteral("Refused: OutOfResources");

// The folder the relay keeps received images in.
inline QString RelayTemporaryFolder()
{
    return QDir::temp().filePath(QStringLiteral("quorinrelay-%1").arg(QCoreApplication::applicationPid()));
}

// Files left in it.
inline QStringList LeftoverTemporaryFiles()
{
    return QDir(RelayTemporaryFolder()).entryList(QDir::Files);
}

// Waits until there are none; a worker removes an image's file just after it
// answered the sender, so the sender may finish a moment before that.
inline bool WaitForNoTemporaryFiles(int timeoutMs = 5000)
{
    return quorin::test::WaitUntil([] { return LeftoverTemporaryFiles().isEmpty(); }, timeoutMs);
}

namespace quorin::test {

class AppRelayStation {
public:
    AppRelayStation() : m_station(m_settings), m_relay(m_station, m_settings, m_boxes)
    {
        // Connected first, so it runs before the handler forwards the image.
        QObject::connect(&m_station, &RelayStation::ImageReceivedAsync, &m_relay, [this] {
            ++m_imagesRaised;
            if (m_beforeHandling)
                m_beforeHandling();
        });
        QObject::connect(&m_station, &RelayStation::ImageReceivedAsync, &m_relay, &ImageRelay::onImageReceived);
        setOperator(QStringLiteral("AB"));
        // QUORIN_CUT_THROUGH=0 (or 1) in the environment switches cut-through
        // off (or on) for the relays of a test run, so CTest runs the relay
        // tests on both paths.
        if (!qEnvironmentVariableIsEmpty("QUORIN_CUT_THROUGH"))
            quorin::dicom::SetCutThroughEnabled(qgetenv("QUORIN_CUT_THROUGH") != "0");
        SetProgramFolderOverride(m_programFolder.path()); // for the debug log
    }

    ~AppRelayStation()
    {
        if (m_station.isListening())
            m_station.stopListening(m_port);
        SetProgramFolderOverride(QString());
    }

    // Listens on a free port, forwarding to the archive at `archivePort`;
    // false when that failed.
    bool start(quint16 archivePort = 0)
    {
        m_port = FreeLoopbackPort();
        m_settings = RelaySettings{QStringLiteral("ARCHIVE"), QStringLiteral("127.0.0.1"), QString::number(archivePort),
                                   QStringLiteral("QUORIN"), QString::number(m_port), QStringLiteral("0")};
        m_station.replaceServer();
        return m_station.startListening(m_port);
    }

    // What the application's handler reads at each image (Debugmode "1":
    // the three lines per image go to the program folder's log).
    RelaySettings& settings() { return m_settings; }
    void setArchivePort(quint16 archivePort) { m_settings.ArchivePort = QString::number(archivePort); }
    // The short code of the operator on duty, stamped on the next images.
    void setOperator(const QString& shortCode) { m_station.setOperatorOnDuty(shortCode, QString()); }
    // Runs on each image just before the application's handler sees it.
    void setBeforeHandling(std::function<void()> hook) { m_beforeHandling = std::move(hook); }
    RelayStation& station() { return m_station; }
    int imagesRaised() const { return m_imagesRaised; }
    quint16 port() const { return m_port; }
    int transferMessages() const { return m_boxes.shown; }

private:
    struct CountingBoxes : MessageBoxes {
        MessageAnswer show(const QString&, const QString&, MessageIcon, MessageButtons) override
        {
            ++shown;
            return MessageAnswer::Ok;
        }
        int shown = 0;
    };

    QTemporaryDir m_programFolder;
    CountingBoxes m_boxes;
    RelaySettings m_settings;
    RelayStation m_station;
    ImageRelay m_relay;
    std::function<void()> m_beforeHandling;
    int m_imagesRaised = 0;
    quint16 m_port = 0;
};

} // namespace quorin::test
