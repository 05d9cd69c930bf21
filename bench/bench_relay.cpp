// Relay throughput against the direct path, in one run: storescu sends to
// storescp directly, then through the relay (stamp and forward, as the
// application does) to the same storescp. Each case runs once untimed through
// both paths (warm caches, threads and folders made), then several timed
// pairs whose order alternates, so neither path always meets the warmer cache
// or the quieter moment of a shared machine; the median of the pairs' ratios
// is what is judged. Also prints the GUI thread's time per image, the relay's
// start-up time, the share of images relayed cut-through and, for one very
// large image, the process's peak memory. --store-and-forward switches
// cut-through off (the way every image took before it).
//
//   bench_relay [--repeat N] [--only many|parallel|huge]... [--store-and-forward]

#include "ArchivePeers.h"
#include "DicomTools.h"
#include "LoopbackPorts.h"
#include "TestImages.h"
#include "dicom/ToolkitServer.h"
#include "dicom/internal/RelayPaths.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <functional>

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

// CPU time (user and system, ms) of this process (the relay, and the
// bench's own waiting), of its finished children (the senders), and of the
// archive (storescp, a child still running).
qint64 milliseconds(const timeval& time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_usec / 1000;
}

qint64 cpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
}

qint64 selfCpuMs() { return cpuMs(RUSAGE_SELF); }
qint64 childrenCpuMs() { return cpuMs(RUSAGE_CHILDREN); }

qint64 selfSystemCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return milliseconds(usage.ru_stime);
}

qint64 archiveCpuMs()
{
    const QString children = QString::fromLatin1(
        [] {
            QFile file(QStringLiteral("/proc/self/task/%1/children").arg(QCoreApplication::applicationPid()));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }());
    for (const QString& pid : children.split(u' ', Qt::SkipEmptyParts)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        if (!text.contains("(storescp)"))
            continue;
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong(); // utime, stime
        return ticks * 1000 / sysconf(_SC_CLK_TCK);
    }
    return 0;
}
#else
qint64 peakResidentKiB() { return -1; }
void resetPeakResident() {}
qint64 selfCpuMs() { return 0; }
qint64 selfSystemCpuMs() { return 0; }
qint64 childrenCpuMs() { return 0; }
qint64 archiveCpuMs() { return 0; }
#endif

// CPU spent by each party during the timed runs of one path.
struct CpuSpent {
    qint64 relayMs = 0;
    qint64 relaySystemMs = 0; // of relayMs, in the kernel
    qint64 senderMs = 0;
    qint64 archiveMs = 0;
};

class CpuMeter {
public:
    CpuMeter()
        : m_self(selfCpuMs())
        , m_selfSystem(selfSystemCpuMs())
        , m_children(childrenCpuMs())
        , m_archive(archiveCpuMs())
    {
    }
    void addTo(CpuSpent& spent) const
    {
        spent.relayMs += selfCpuMs() - m_self;
        spent.relaySystemMs += selfSystemCpuMs() - m_selfSystem;
        spent.senderMs += childrenCpuMs() - m_children;
        spent.archiveMs += archiveCpuMs() - m_archive;
    }

private:
    qint64 m_self;
    qint64 m_selfSystem;
    qint64 m_children;
    qint64 m_archive;
};

template <typename T>
T median(QList<T> values)
{
    if (values.isEmpty())
        return T();
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What one case sends: file groups, each on its own association, all at once.
struct BenchCase {
    const char* title;
    QList<QStringList> groups;
    double limit;
};

int fileCount(const BenchCase& benchCase)
{
    int count = 0;
    for (const QStringList& group : benchCase.groups)
        count += group.size();
    return count;
}

// The figures of one case over its repetitions.
struct CaseFigures {
    QList<qint64> directMs;
    QList<qint64> relayMs;
    QList<double> ratios;
    qint64 peakKiB = 0; // highest peak of the process over the relay runs
    quint64 cutThrough = 0; // images relayed cut-through, of
    quint64 relayed = 0;    // images relayed either way
    bool allArrived = true;
    CpuSpent directCpu; // over the timed runs
    CpuSpent relayCpu;
};

class Bench {
public:
    Bench(StorescpArchive& archive, MinimalRelay& relay, quint16 relayPort)
        : m_archive(archive)
        , m_relay(relay)
        , m_relayPort(relayPort)
    {
    }

    CaseFigures run(const BenchCase& benchCase, int repeats)
    {
        CaseFigures figures;
        sendDirect(benchCase, figures); // warm-up: untimed, but what arrives counts
        sendThroughRelay(benchCase, figures);
        for (int i = 0; i < repeats; ++i) {
            qint64 direct = 0;
            qint64 relay = 0;
            if (i % 2 == 0) {
                direct = timedDirect(benchCase, figures);
                relay = timedThroughRelay(benchCase, figures);
            } else {
                relay = timedThroughRelay(benchCase, figures);
                direct = timedDirect(benchCase, figures);
            }
            figures.directMs << direct;
            figures.relayMs << relay;
            figures.ratios << (direct > 0 && relay > 0 ? double(relay) / double(direct) : 0.0);
        }
        return figures;
    }

private:
    qint64 timedDirect(const BenchCase& benchCase, CaseFigures& figures)
    {
        const CpuMeter meter;
        const qint64 ms = sendDirect(benchCase, figures);
        meter.addTo(figures.directCpu);
        return ms;
    }

    qint64 timedThroughRelay(const BenchCase& benchCase, CaseFigures& figures)
    {
        const CpuMeter meter;
        const qint64 ms = sendThroughRelay(benchCase, figures);
        meter.addTo(figures.relayCpu);
        return ms;
    }

    // The wall time in ms, or -1 when a sender failed.
    static qint64 send(quint16 port, const QList<QStringList>& groups)
    {
        QElapsedTimer timer;
        timer.start();
        const QList<ToolRun> runs = storescuInParallel(port, groups);
        const qint64 elapsed = timer.elapsed();
        const bool allOk =
            std::all_of(runs.begin(), runs.end(), [](const ToolRun& run) { return run.succeeded(); });
        return allOk ? elapsed : -1;
    }

    // How many files the archive holds; empties it for the next run.
    int takeStored()
    {
        const QStringList stored = m_archive.storedFiles();
        for (const QString& file : stored)
            QFile::remove(file);
        return int(stored.size());
    }

    qint64 sendDirect(const BenchCase& benchCase, CaseFigures& figures)
    {
        const qint64 ms = send(m_archive.port(), benchCase.groups);
        figures.allArrived &= ms >= 0 && takeStored() == fileCount(benchCase);
        return ms;
    }

    qint64 sendThroughRelay(const BenchCase& benchCase, CaseFigures& figures)
    {
        m_relay.resetCounts();
        resetPeakResident();
        const quorin::dicom::RelayPathCounts before = quorin::dicom::relayPathCounts();
        const qint64 ms = send(m_relayPort, benchCase.groups);
        figures.peakKiB = std::max(figures.peakKiB, peakResidentKiB());
        const quorin::dicom::RelayPathCounts after = quorin::dicom::relayPathCounts();
        figures.cutThrough += after.cutThrough - before.cutThrough;
        figures.relayed += after.cutThrough - before.cutThrough + after.storeAndForward - before.storeAndForward;
        const int expected = fileCount(benchCase);
        figures.allArrived &= ms >= 0 && takeStored() == expected && m_relay.accepted() == expected
                              && m_relay.failed() == 0;
        return ms;
    }

    StorescpArchive& m_archive;
    MinimalRelay& m_relay;
    quint16 m_relayPort;
};

QString join(const QList<qint64>& values)
{
    QStringList texts;
    for (qint64 value : values)
        texts << QString::number(value);
    return texts.join(QLatin1Char(' '));
}

QString join(const QList<double>& values)
{
    QStringList texts;
    for (double value : values)
        texts << QString::number(value, 'f', 2);
    return texts.join(QLatin1Char(' '));
}

void printFigures(const BenchCase& benchCase, const CaseFigures& figures)
{
    const double ratio = median(figures.ratios);
    out << benchCase.title << ": direct median " << median(figures.directMs) << " ms, relay median "
        << median(figures.relayMs) << " ms; ratio median " << QString::number(ratio, 'f', 2) << " (limit "
        << benchCase.limit << ")" << (ratio > 0 && ratio <= benchCase.limit ? " OK" : " OVER") << Qt::endl;
    out << "  runs: direct " << join(figures.directMs) << " ms; relay " << join(figures.relayMs)
        << " ms; ratios " << join(figures.ratios) << Qt::endl;
    out << "  " << (figures.allArrived ? "every image arrived through both paths" : "SOME IMAGES FAILED")
        << "; relayed cut-through: " << figures.cutThrough << " of " << figures.relayed << Qt::endl;
    const auto perRun = [&figures](qint64 ms) { return ms / std::max<qsizetype>(1, figures.ratios.size()); };
    const CpuSpent& d = figures.directCpu;
    const CpuSpent& r = figures.relayCpu;
    out << "  CPU per run (user + system): direct: sender " << perRun(d.senderMs) << " + archive "
        << perRun(d.archiveMs) << " = " << perRun(d.senderMs + d.archiveMs) << " ms; through the relay: sender "
        << perRun(r.senderMs) << " + relay " << perRun(r.relayMs) << " (kernel " << perRun(r.relaySystemMs)
        << ") + archive " << perRun(r.archiveMs) << " = "
        << perRun(r.senderMs + r.relayMs + r.archiveMs) << " ms (the bench's own waiting in the relay's share: "
        << perRun(d.relayMs) << " ms in a direct run)" << Qt::endl;
}

void printStartUp(MinimalRelay& relay, quint16 relayPort, bool& opened)
{
    QElapsedTimer startUp;
    startUp.start();
    qint64 createMicroseconds = 0;
    qint64 openMicroseconds = 0;
    opened = relay.open(relayPort, createMicroseconds, openMicroseconds);
    if (!opened)
        return;
    const bool echoed = echoscu(relayPort).succeeded();
    out << "start-up: first server object " << createMicroseconds << " us (toolkit set-up), OpenListener "
        << openMicroseconds << " us until accepting; first C-ECHO answered " << startUp.elapsed()
        << " ms after start (echoscu process start included)" << (echoed ? "" : " ECHO FAILED") << Qt::endl;
}

struct Options {
    int repeats = 5;
    QStringList only; // empty: every case
    bool storeAndForward = false;
    bool wants(const QString& name) const { return only.isEmpty() || only.contains(name); }
};

Options parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("repeat"), QStringLiteral("Timed pairs per case (default 5)."),
                      QStringLiteral("N"), QStringLiteral("5")});
    parser.addOption({QStringLiteral("only"), QStringLiteral("Run only this case: many, parallel or huge."),
                      QStringLiteral("case")});
    parser.addOption({QStringLiteral("store-and-forward"), QStringLiteral("Relay without cut-through.")});
    parser.process(app);
    Options options;
    options.repeats = std::max(1, parser.value(QStringLiteral("repeat")).toInt());
    options.only = parser.values(QStringLiteral("only"));
    options.storeAndForward = parser.isSet(QStringLiteral("store-and-forward"));
    return options;
}

// 400 images of 512 KB on one association, then the same split over 4 senders.
bool runSeriesCases(Bench& bench, MinimalRelay& relay, TestImages& images, const Options& options)
{
    if (!options.wants(QStringLiteral("many")) && !options.wants(QStringLiteral("parallel")))
        return true;
    ImageRecipe ct512;
    ct512.rows = 512;
    ct512.columns = 512;
    const QStringList series = images.series(QStringLiteral("ct"), 400, ct512);
    if (series.size() != 400)
        return false;
    bool allArrived = true;
    if (options.wants(QStringLiteral("many"))) {
        const BenchCase many{"400 x 512 KB, one association", {series}, 1.4};
        const CaseFigures figures = bench.run(many, options.repeats);
        printFigures(many, figures);
        out << "  GUI thread per image (last relay run): mean "
            << QString::number(relay.meanBusyMicroseconds(), 'f', 1) << " us, max "
            << relay.maxBusyMicroseconds() << " us" << Qt::endl;
        allArrived &= figures.allArrived;
    }
    if (options.wants(QStringLiteral("parallel"))) {
        const BenchCase parallel{"4 senders x 100 x 512 KB",
                                 {series.mid(0, 100), series.mid(100, 100), series.mid(200, 100),
                                  series.mid(300, 100)},
                                 1.4};
        const CaseFigures figures = bench.run(parallel, options.repeats);
        printFigures(parallel, figures);
        allArrived &= figures.allArrived;
    }
    for (const QString& file : series)
        QFile::remove(file);
    return allArrived;
}

// One image of 500 MB (1000 frames of 512 x 512 x 16 bit).
bool runHugeCase(Bench& bench, TestImages& images, const Options& options)
{
    if (!options.wants(QStringLiteral("huge")))
        return true;
    ImageRecipe huge;
    huge.rows = 512;
    huge.columns = 512;
    huge.frames = 1000;
    const QString large = images.make(QStringLiteral("huge.dcm"), huge);
    if (large.isEmpty())
        return false;
    const qint64 before = peakResidentKiB();
    const BenchCase one{"1 x 500 MB", {{large}}, 1.4};
    const CaseFigures figures = bench.run(one, options.repeats);
    QFile::remove(large);
    printFigures(one, figures);
    out << "  peak resident memory of the relay process during a relay run: " << figures.peakKiB / 1024
        << " MB (limit 64)" << (figures.peakKiB >= 0 && figures.peakKiB <= 64 * 1024 ? " OK" : " OVER")
        << "; before the case: " << before / 1024 << " MB" << Qt::endl;
    return figures.allArrived;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(app);
    quorin::dicom::setCutThroughEnabled(!options.storeAndForward);
    QTemporaryDir work;
    StorescpArchive archive;
    if (!work.isValid() || !archive.start()) {
        out << "cannot start storescp" << Qt::endl;
        return 1;
    }
    TestImages images(work.path());
    MinimalRelay relay(archive.port());
    const quint16 relayPort = freeLoopbackPort();
    bool opened = false;
    printStartUp(relay, relayPort, opened);
    if (!opened)
        return 1;
    out << options.repeats << " timed pairs per case after one untimed warm-up; order alternating" << Qt::endl;

    Bench bench(archive, relay, relayPort);
    bool allArrived = runSeriesCases(bench, relay, images, options);
    allArrived &= runHugeCase(bench, images, options);

    relay.close(relayPort);
    archive.stop();
    out << (allArrived ? "all transfers arrived" : "SOME TRANSFERS FAILED") << Qt::endl;
    return allArrived ? 0 : 1;
}
