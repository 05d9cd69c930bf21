// Relay throughput against the direct path, in one run: storescu sends to
// storescp directly, then through the relay (stamp and forward, as the
// application does) to the same storescp. Prints times, ratios, the GUI
// thread's time per image, the relay's start-up time and, for one very
// large image, the process's peak memory.

#include "ArchivePeers.h"
#include "DicomTools.h"
#include "EventLoopWait.h"
#include "LoopbackPorts.h"
#include "TestImages.h"
#include "dicom/ToolkitServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace quorin::test;

namespace {

QTextStream out(stdout);

// The relay as the application runs it, reduced to stamping and forwarding;
// it also measures how long each image occupies this (the GUI) thread.
class MinimalRelay : public QObject {
public:
    explicit MinimalRelay(quint16 archivePort)
        : m_archivePort(archivePort)
    {
    }

    bool open(quint16 port, qint64& createMicroseconds, qint64& openMicroseconds)
    {
        QElapsedTimer creating;
        creating.start();
        m_server = std::make_unique<ToolkitServer>(); // the toolkit's one-time setup happens here
        createMicroseconds = creating.nsecsElapsed() / 1000;
        m_server->setServerFlag(true);
        QObject::connect(m_server.get(), &ToolkitServer::ImageReceivedAsync, this,
                         [this](auto, std::shared_ptr<ToolkitImage> image) { handle(*image); });
        QElapsedTimer timer;
        timer.start();
        const bool opened = m_server->OpenListener(port);
        openMicroseconds = timer.nsecsElapsed() / 1000;
        return opened;
    }

    void close(quint16 port) { m_server->CloseListener(port); }

    int accepted() const { return m_accepted; }
    int failed() const { return m_failed; }
    qint64 maxBusyMicroseconds() const { return m_maxBusyNs / 1000; }
    double meanBusyMicroseconds() const { return m_images ? double(m_busyNs) / m_images / 1000.0 : 0; }
    void resetCounts() { m_accepted = m_failed = m_images = 0; m_busyNs = m_maxBusyNs = 0; }

private:
    void handle(ToolkitImage& image)
    {
        QElapsedTimer busy;
        busy.start();
        image.ImageAttributes().PutAttribute(8, 4208, QStringLiteral("AB"));
        image.ForwardImage(QStringLiteral("127.0.0.1"), m_archivePort, QStringLiteral("QUORIN"),
                           QStringLiteral("ARCHIVE"), this, [this](const ForwardResult& result) {
                               ++(result.accepted ? m_accepted : m_failed);
                           });
        const qint64 ns = busy.nsecsElapsed();
        m_busyNs += ns;
        m_maxBusyNs = std::max(m_maxBusyNs, ns);
        ++m_images;
    }

    std::unique_ptr<ToolkitServer> m_server;
    quint16 m_archivePort;
    int m_accepted = 0;
    int m_failed = 0;
    int m_images = 0;
    qint64 m_busyNs = 0;
    qint64 m_maxBusyNs = 0;
};

void clearFolder(const QString& folder)
{
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files))
        dir.remove(name);
}

// Sends each group on its own association, all at the same time; the wall
// time in ms, or -1 when a sender failed.
qint64 sendInParallel(quint16 port, const QList<QStringList>& fileGroups)
{
    QElapsedTimer timer;
    timer.start();
    const QList<ToolRun> runs = storescuInParallel(port, fileGroups);
    const qint64 elapsed = timer.elapsed();
    const bool allOk = std::all_of(runs.begin(), runs.end(), [](const ToolRun& run) { return run.succeeded(); });
    return allOk ? elapsed : -1;
}

qint64 sendOnce(quint16 port, const QStringList& files)
{
    return sendInParallel(port, {files});
}

#ifdef __linux__
// Peak resident memory of this process (the one place that reads /proc).
qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
#else
qint64 peakResidentKiB() { return -1; }
void resetPeakResident() {}
#endif

void printComparison(const char* what, qint64 directMs, qint64 relayMs, double limit)
{
    const double ratio = directMs > 0 ? double(relayMs) / double(directMs) : 0;
    out << what << ": direct " << directMs << " ms, relay " << relayMs << " ms, ratio "
        << QString::number(ratio, 'f', 2) << " (limit " << limit << ")"
        << (ratio <= limit ? " OK" : " OVER") << Qt::endl;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    StorescpArchive archive;
    if (!work.isValid() || !archive.start()) {
        out << "cannot start storescp" << Qt::endl;
        return 1;
    }
    TestImages images(work.path());
    MinimalRelay relay(archive.port());
    const quint16 relayPort = freeLoopbackPort();

    QElapsedTimer startUp;
    startUp.start();
    qint64 createMicroseconds = 0;
    qint64 openMicroseconds = 0;
    if (!relay.open(relayPort, createMicroseconds, openMicroseconds))
        return 1;
    const bool echoed = echoscu(relayPort).succeeded();
    out << "start-up: first server object " << createMicroseconds << " us (toolkit set-up), OpenListener "
        << openMicroseconds << " us until accepting; first C-ECHO answered " << startUp.elapsed()
        << " ms after start (echoscu process start included)" << (echoed ? "" : " ECHO FAILED") << Qt::endl;

    ImageRecipe ct512;
    ct512.rows = 512;
    ct512.columns = 512;
    const QStringList series = images.series(QStringLiteral("ct"), 400, ct512);
    if (series.size() != 400)
        return 1;
    int problems = 0;

    // 400 images of 512 KB in one association.
    const qint64 direct400 = sendOnce(archive.port(), series);
    const int direct400Stored = archive.storedFiles().size();
    clearFolder(archive.folder());
    relay.resetCounts();
    const qint64 relay400 = sendOnce(relayPort, series);
    const int relay400Stored = archive.storedFiles().size();
    clearFolder(archive.folder());
    printComparison("400 x 512 KB, one association", direct400, relay400, 2.0);
    out << "  stored: direct " << direct400Stored << ", relay " << relay400Stored << "; forwards accepted "
        << relay.accepted() << ", failed " << relay.failed() << Qt::endl;
    out << "  GUI thread per image: mean " << QString::number(relay.meanBusyMicroseconds(), 'f', 1) << " us, max "
        << relay.maxBusyMicroseconds() << " us" << Qt::endl;
    problems += (direct400 < 0 || relay400 < 0 || relay400Stored != 400 || relay.failed() != 0);

    // 4 senders x 100 images at the same time.
    const QList<QStringList> groups{series.mid(0, 100), series.mid(100, 100), series.mid(200, 100),
                                    series.mid(300, 100)};
    const qint64 directParallel = sendInParallel(archive.port(), groups);
    clearFolder(archive.folder());
    relay.resetCounts();
    const qint64 relayParallel = sendInParallel(relayPort, groups);
    const int parallelStored = archive.storedFiles().size();
    clearFolder(archive.folder());
    printComparison("4 senders x 100 x 512 KB", directParallel, relayParallel, 2.0);
    out << "  stored through the relay " << parallelStored << " of 400; forwards accepted " << relay.accepted()
        << ", failed " << relay.failed() << Qt::endl;
    problems += (directParallel < 0 || relayParallel < 0 || parallelStored != 400 || relay.failed() != 0);
    for (const QString& file : series)
        QFile::remove(file);

    // One image of 500 MB (1000 frames of 512 x 512 x 16 bit).
    ImageRecipe huge = ct512;
    huge.frames = 1000;
    const QString large = images.make(QStringLiteral("huge.dcm"), huge);
    if (large.isEmpty())
        return 1;
    const qint64 directLarge = sendOnce(archive.port(), {large});
    clearFolder(archive.folder());
    const qint64 rssBefore = peakResidentKiB();
    resetPeakResident();
    relay.resetCounts();
    const qint64 relayLarge = sendOnce(relayPort, {large});
    const qint64 rssPeak = peakResidentKiB();
    const int largeStored = archive.storedFiles().size();
    clearFolder(archive.folder());
    QFile::remove(large);
    printComparison("1 x 500 MB", directLarge, relayLarge, 3.0);
    out << "  peak resident memory of the relay process during it: " << rssPeak / 1024 << " MB (limit 100)"
        << (rssPeak >= 0 && rssPeak <= 100 * 1024 ? " OK" : " OVER") << "; before: " << rssBefore / 1024 << " MB"
        << Qt::endl;
    problems += (directLarge < 0 || relayLarge < 0 || largeStored != 1 || relay.accepted() != 1);

    relay.close(relayPort);
    archive.stop();
    out << (problems ? "SOME TRANSFERS FAILED" : "all transfers arrived") << Qt::endl;
    return problems ? 1 : 0;
}
