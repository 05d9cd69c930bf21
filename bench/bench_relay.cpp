// Relay throughput against the direct path, in one run: storescu sends to
// storescp directly, then through the relay (stamp and forward, as the
// application does) to the same storescp, and through a plain TCP pipe in
// the relay's place, the floor of any relay (see relay/PathPairs.h for the
// rounds). Prints each case's times and their ratio, the time each image
// gained through the relay, where that time went on the relay's worker
// (ImageTimeline), the GUI thread's time per image, the relay's start-up
// time, the images relayed each way (cut-through, store and forward) and,
// for one very large image, the process's peak memory. --store-and-forward
// switches cut-through off (the way every image took before it). --tls
// makes the archive a TLS one (storescp +tls): the relay forwards over TLS,
// the direct path is storescu +tls, and the pipe carries that one's TLS.
//
// Two modes:
// - loopback (default): the machine's loopback as it is; the CPU is the limit.
// - --link [--rate R]: an emulated network (relay/LinkEmulation.h), each hop
//   a cable of rate R (tc syntax, default 1gbit); needs root. Slow rates send
//   fewer and smaller images, so a case takes seconds, not hours.
//
// The relay's instructions per relayed MB: run one case under valgrind
// --tool=callgrind --separate-threads=yes; the threads other than the first
// are the relay's (listener and workers), and of the first only the
// handler's calls are; divide by the MB printed for the relay runs.
//
//   bench_relay [--repeat N] [--only many|parallel|huge|small|series]... [--store-and-forward]
//               [--link [--rate R]] [--tls]

#include "relay/CaseReport.h"
#include "relay/LinkEmulation.h"
#include "relay/SenderLog.h"

#include "DicomTools.h"
#include "LoopbackPorts.h"
#include "TestCertificates.h"
#include "TestImages.h"
#include "dicom/internal/RelayWay.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace quorin::test;

namespace {

QTextStream out(stdout);

struct Options {
    int repeats = 5;
    QStringList only; // empty: every case of the mode
    bool storeAndForward = false;
    bool link = false;
    bool tls = false;
    QString rate = QStringLiteral("1gbit");
    qint64 bitsPerSecond = 0; // of the link; 0 on plain loopback
    bool wants(const QString& name) const { return only.isEmpty() || only.contains(name); }
};

Options ParseOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("repeat"), QStringLiteral("Timed rounds per case (default 5)."),
                      QStringLiteral("N"), QStringLiteral("5")});
    parser.addOption({QStringLiteral("only"),
                      QStringLiteral("Run only this case: many, parallel, huge or small (loopback); series, small "
                                     "or huge (link)."),
                      QStringLiteral("case")});
    parser.addOption({QStringLiteral("store-and-forward"), QStringLiteral("Relay without cut-through.")});
    parser.addOption({QStringLiteral("link"), QStringLiteral("Emulate a network: each hop shaped by tc (root).")});
    parser.addOption({QStringLiteral("tls"), QStringLiteral("A TLS archive: the relay and the direct sender use TLS.")});
    parser.addOption({QStringLiteral("rate"), QStringLiteral("The links' rate in tc's syntax (default 1gbit)."),
                      QStringLiteral("R"), QStringLiteral("1gbit")});
    parser.process(arguments);
    Options options;
    options.repeats = std::max(1, parser.value(QStringLiteral("repeat")).toInt());
    options.only = parser.values(QStringLiteral("only"));
    options.storeAndForward = parser.isSet(QStringLiteral("store-and-forward"));
    options.link = parser.isSet(QStringLiteral("link"));
    options.tls = parser.isSet(QStringLiteral("tls"));
    options.rate = parser.value(QStringLiteral("rate"));
    options.bitsPerSecond = options.link ? BitsPerSecond(options.rate) : 0;
    return options;
}

// How many images of `bytes` cross the link in about `seconds`, within [least, most].
int ImagesFor(const Options& options, qint64 bytes, double seconds, int least, int most)
{
    if (options.bitsPerSecond == 0)
        return most;
    return int(std::clamp<qint64>(qint64(double(options.bitsPerSecond) / 8 * seconds) / bytes, least, most));
}

struct Run {
    PathPairs& pairs;
    MinimalRelay& relay;
    TestImages& images;
    const Options& options;
    bool allArrived = true;

    void measure(const BenchCase& benchCase)
    {
        const CaseFigures figures = pairs.run(benchCase, options.repeats);
        PrintFigures(out, benchCase, figures);
        allArrived &= figures.allArrived;
    }

    // A series of `count` images of 512 x 512 x 16 bit on one association
    // (and, on loopback, the same split over 4 senders).
    void series(int count, const QString& many, double limit)
    {
        if (!options.wants(many) && !options.wants(QStringLiteral("parallel")))
            return;
        ImageRecipe ct512;
        ct512.rows = 512;
        ct512.columns = 512;
        const QStringList files = images.series(QStringLiteral("ct"), count, ct512);
        allArrived &= files.size() == count;
        if (options.wants(many)) {
            measure({QStringLiteral("%1 x 512 KB, one association").arg(count), {files}, limit});
            out << "  GUI thread per image (last relay run): mean "
                << QString::number(relay.meanBusyMicroseconds(), 'f', 1) << " us, max "
                << relay.maxBusyMicroseconds() << " us" << Qt::endl;
        }
        if (!options.link && options.wants(QStringLiteral("parallel"))) {
            const int quarter = count / 4;
            measure({QStringLiteral("4 senders x %1 x 512 KB").arg(quarter),
                     {files.mid(0, quarter), files.mid(quarter, quarter), files.mid(2 * quarter, quarter),
                      files.mid(3 * quarter, quarter)},
                     limit});
        }
        for (const QString& file : files)
            QFile::remove(file);
    }

    // Small objects (structured reports, presentation states): 64 x 64 x 16 bit.
    void small(int count, double limit, qint64 addedLimitUs)
    {
        if (!options.wants(QStringLiteral("small")))
            return;
        const QStringList files = images.series(QStringLiteral("small"), count);
        allArrived &= files.size() == count;
        measure({QStringLiteral("%1 x 8 KB, one association").arg(count), {files}, limit, addedLimitUs});
        for (const QString& file : files)
            QFile::remove(file);
    }

    // One multi-frame image of 512 x 512 x 16 bit frames.
    void huge(int frames, double limit)
    {
        if (!options.wants(QStringLiteral("huge")))
            return;
        ImageRecipe recipe;
        recipe.rows = 512;
        recipe.columns = 512;
        recipe.frames = frames;
        const QString large = images.make(QStringLiteral("huge.dcm"), recipe);
        allArrived &= !large.isEmpty();
        const qint64 before = PeakResidentKiB();
        const BenchCase one{QStringLiteral("1 x %1 MB").arg(frames * 0.5), {{large}}, limit};
        const CaseFigures figures = pairs.run(one, options.repeats);
        QFile::remove(large);
        PrintFigures(out, one, figures);
        out << "  peak resident memory of the relay process during a relay run: " << figures.peakKiB / 1024
            << " MB (limit 64)" << (figures.peakKiB >= 0 && figures.peakKiB <= 64 * 1024 ? " OK" : " OVER")
            << "; before the case: " << before / 1024 << " MB" << Qt::endl;
        allArrived &= figures.allArrived;
    }
};

void RunLoopbackCases(Run& run)
{
    run.series(400, QStringLiteral("many"), 1.4);
    run.small(1000, 0, 100);
    run.huge(1000, 1.4);
}

// 200 x 512 KB, 1,000 x 8 KB and 500 MB at 1 Gbit/s; at slower rates as
// many as cross the link in about 2 s, 1 s and 5 s.
void RunLinkCases(Run& run)
{
    run.series(ImagesFor(run.options, 512 * 1024, 2.0, 5, 200), QStringLiteral("series"), 1.05);
    run.small(ImagesFor(run.options, 8 * 1024, 1.0, 20, 1000), 0, 0);
    run.huge(ImagesFor(run.options, 512 * 1024, 5.0, 5, 1000), 1.05);
}

void PrintStartUp(MinimalRelay& relay, quint16 relayPort, bool& opened)
{
    QElapsedTimer startUp;
    startUp.start();
    qint64 createMicroseconds = 0;
    qint64 openMicroseconds = 0;
    opened = relay.open(relayPort, createMicroseconds, openMicroseconds);
    if (!opened)
        return;
    const bool echoed = Echoscu(relayPort).succeeded();
    out << "start-up: first server object " << createMicroseconds << " us (toolkit set-up), OpenListener "
        << openMicroseconds << " us until accepting; first C-ECHO answered " << startUp.elapsed()
        << " ms after start (echoscu process start included)" << (echoed ? "" : " ECHO FAILED") << Qt::endl;
}

// The link mode's network, entered before the application object: no
// thread of Qt's may start outside it. An explanation when it cannot.
QString EnterLinkNetwork(const Options& options)
{
    if (options.bitsPerSecond <= 0)
        return QStringLiteral("not a rate: ") + options.rate;
    return EnterOwnNetwork(FrameBytes(options.bitsPerSecond));
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Options options = ParseOptions(arguments);
    if (const QString why = options.link ? EnterLinkNetwork(options) : QString(); !why.isEmpty()) {
        out << why << Qt::endl;
        return 1;
    }
    QCoreApplication app(argc, argv);
    quorin::dicom::SetCutThroughEnabled(!options.storeAndForward);
    QTemporaryDir work;
    TestCertificates certificates;
    if (options.tls && !certificates.make()) {
        out << certificates.error() << Qt::endl;
        return 1;
    }
    const QString ca = certificates.path(QStringLiteral("ca.pem"));
    StorescpArchive archive(StorescpOptions{
        .tls = options.tls ? QStringList{"+tls", certificates.path("archive.key"), certificates.path("archive.pem"), "-ic"}
                           : QStringList()});
    if (!work.isValid() || !archive.start()) {
        out << "cannot start storescp" << Qt::endl;
        return 1;
    }
    const PathPorts ports{FreeLoopbackPort(), FreeLoopbackPort()};
    const quint16 relayPort = ports.relay;
    if (options.link) {
        const int frame = FrameBytes(options.bitsPerSecond);
        if (const QString why = ShapeHops({ports.relay, ports.pipe}, archive.port(), options.rate, frame);
            !why.isEmpty()) {
            out << why << Qt::endl;
            return 1;
        }
        out << "link mode: a network namespace of its own, each hop shaped to " << options.rate
            << " (tc HTB by destination port, " << frame
            << "-byte packets, one ahead at most; answers and acknowledgements free)" << Qt::endl;
    }
    TestImages images(work.path());
    MinimalRelay relay(archive.port(), options.tls ? std::optional(ArchiveTls{{}, {}, ca, true}) : std::nullopt);
    bool opened = false;
    PrintStartUp(relay, relayPort, opened);
    if (!opened)
        return 1;
    out << options.repeats << " timed rounds per case (direct, relay, pipe) after one untimed warm-up; order turning"
        << Qt::endl;

    if (options.tls)
        out << "TLS to the archive (BCP 195 non-downgrading); the direct sender storescu +tla +cf" << Qt::endl;
    PathPairs pairs(archive, relay, ports, SenderLogArguments(work.path()),
                    options.tls ? QStringList{"+tla", "+cf", ca} : QStringList());
    if (!pairs.openPipe()) {
        out << "cannot open the pipe" << Qt::endl;
        return 1;
    }
    Run run{pairs, relay, images, options};
    if (options.link)
        RunLinkCases(run);
    else
        RunLoopbackCases(run);

    relay.close(relayPort);
    archive.stop();
    out << (run.allArrived ? "all transfers arrived" : "SOME TRANSFERS FAILED") << Qt::endl;
    return run.allArrived ? 0 : 1;
}
