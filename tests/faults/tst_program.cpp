// The program as a user runs it: its own main(), from a folder of its own
// with its Settings.ini, listening as soon as it has started.
// Closing it ("Beenden") while senders are in the middle of large images,
// or while the relay waits on an archive that never answers, must end it at
// once and cleanly: exit status 0, the operator list saved, every sender's
// connection ended, nothing acknowledged that the archive lacks, nothing
// left behind. Port scans and more senders than it serves at once must cost
// neither a thread each nor a real sender its turn.

#include "ArchivePeers.h"
#include "DicomTools.h"
#include "EventLoopWait.h"
#include "FaultyArchive.h"
#include "RawSender.h"
#include "ResidentMemory.h"
#include "TestImages.h"

#include <QtTest>
#include <list>

using namespace quorin::test;

namespace {

// Windows-1252 with CRLF, as the program keeps it. An operator is ticked, so
// the program listens as soon as it has started. The count as a hand may
// write it: the program's save writes "1".
const char* const kSettings = "[Archive]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=%1\r\n[Local]\r\nLocalAET=QUORIN\r\n"
                              "LocalPort=%2\r\nDebugmode=0\r\n[Operator]\r\nOperatorCount=01\r\n"
                              "Operator1=Checked|Anna|M\xFCller|AM\r\n";

// It serves this many associations at once and keeps this many connections
// waiting for their request; each holds a thread.
const int kAssociationsAtOnce = 16;
const int kWaitingConnections = 16;

struct Program {
    QTemporaryDir work;
    QDir dir{work.path()};
    QDir tmp{dir.filePath(QStringLiteral("tmp"))};
    QString settings = dir.filePath(QStringLiteral("program/Settings.ini"));
    quint16 port = FreeLoopbackPort();
    QByteArray written; // Settings.ini as the program found it
    QProcess process;

    ~Program()
    {
        process.kill(); // the one it started, when a check failed before the close
        process.waitForFinished();
    }

    // A copy of the program with its Settings.ini in a folder of its own,
    // temporary files in another; true once it listens.
    bool start(quint16 archivePort)
    {
        const QString program = dir.filePath(QStringLiteral("program/QuorinRelay"));
        if (!work.isValid() || !dir.mkpath(QStringLiteral("program")) || !dir.mkpath(tmp.path())
            || !dir.mkdir(QStringLiteral("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
            || !QFile::copy(QStringLiteral(CLOSABLE_RELAY), program)
            || !TestFiles::Write(settings, written = QString::fromLatin1(kSettings).arg(archivePort).arg(port).toLatin1()))
            return false;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tmp.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, {});
        return WaitForListeningPort(port, 15000, &process);
    }
    qint64 threads() const { return ProcessStatus("Threads", process.processId()); }
    qint64 residentKiB() const { return ProcessStatus("VmRSS", process.processId()); }
    // The files of images it is receiving.
    QStringList receiving() const
    {
        QStringList files;
        for (const QString& folder : tmp.entryList({QStringLiteral("quorinrelay-*")}, QDir::Dirs))
            files += QDir(tmp.filePath(folder)).entryList(QDir::Files);
        return files;
    }
};

} // namespace

class tst_Program : public QObject {
    Q_OBJECT

private slots:
    void closingEndsEveryAssociationAtOnce_data()
    {
        QTest::addColumn<bool>("archiveSilent");
        QTest::newRow("senders mid-image") << false;
        QTest::newRow("relay waiting 30 s for the archive's answer") << true;
    }

    void closingEndsEveryAssociationAtOnce()
    {
        QFETCH(bool, archiveSilent);
        Program program;
        // 200 MB, so each takes a while to arrive; with the silent archive
        // the images arrive whole and wait on it. Eight on each of four
        // associations: a relay that let them run on after the close would
        // still be receiving.
        const ImageRecipe large{.rows = 512, .columns = 512, .frames = archiveSilent ? 1 : 400};
        const QStringList images(8, TestImages(program.work.path()).make(QStringLiteral("large.dcm"), large));
        QVERIFY(!images.first().isEmpty());

        StorescpArchive archive({.concurrent = true});
        SilentPeer silentArchive;
        QVERIFY(archiveSilent ? silentArchive.isListening() : archive.start());
        QVERIFY(program.start(archiveSilent ? silentArchive.serverPort() : archive.port()));

        std::vector<std::unique_ptr<RunningTool>> senders;
        for (int i = 0; i < 4; ++i)
            senders.push_back(StartStorescu(program.port, images, {QStringLiteral("-v"), QStringLiteral("--no-halt")}));
        // Every worker busy: receiving (into a temporary file, or passing the
        // image on while it arrives), or waiting for the archive's answer to
        // its association request.
        QVERIFY(WaitUntil([&] { return archiveSilent ? silentArchive.connections == 4
                                                     : program.receiving().size() + archive.storedFiles().size() >= 4; },
                          60000));
        for (const auto& sender : senders)
            QVERIFY(!sender->done());

        QElapsedTimer closing;
        closing.start();
        program.process.write("Beenden\n");
        // It ends within a few tens of milliseconds (over a second only on a
        // loaded machine under the sanitizer, with its leak check at exit); a
        // relay that let its workers run on would take the archive's 30 s, or
        // the senders' gigabytes.
        QProcess& relay = program.process;
        QVERIFY2(WaitUntil([&] { return relay.state() == QProcess::NotRunning; }, 5000), relay.readAll().constData());
        qInfo("the program ended %lld ms after the click, exit status %d", closing.elapsed(), relay.exitCode());
        QVERIFY2(relay.exitStatus() == QProcess::NormalExit && relay.exitCode() == 0, relay.readAll().constData());
        QCOMPARE(TestFiles::Read(program.settings), program.written.replace("OperatorCount=01", "OperatorCount=1"));

        for (const auto& sender : senders) {
            const ToolRun run = sender->result(30000);
            QVERIFY2(run.finished, qPrintable(run.output));
            QCOMPARE(AcknowledgedButMissing(images, run.output, archive.folder()), 0);
        }
        QVERIFY2(program.tmp.entryList({QStringLiteral("quorinrelay-*")}, QDir::AllEntries).isEmpty(),
                 qPrintable(program.receiving().join(u' ')));
        QVERIFY2(PortIsFree(program.port), "the port is still taken");
    }

    // Port scanners, health checks and stuck clients connect and say
    // nothing; busy sites open more associations than the program serves
    // at once. Neither may cost a thread each, nor lock a real sender out
    // (read one after another, each allowed its 5 s for the request, twenty
    // silent connections once kept it out for 100 s); the threads go with
    // the connections.
    void portScanKeepsThreadsBounded()
    {
        StorescpArchive archive;
        Program program;
        QVERIFY(archive.start() && program.start(archive.port()));
        TestImages images(program.work.path());
        // What a real sender sends, as it sends it.
        const CapturedExchange model = CaptureExchange(program.port, images.make(QStringLiteral("model.dcm")));
        QVERIFY(model.isValid());
        const qint64 idleThreads = program.threads();
        const qint64 idleKiB = program.residentKiB();
        // Looked at all along: a silent connection's thread would go after
        // its 5 s anyway. Some of those dropped may still be on their way out.
        qint64 mostThreads = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] { mostThreads = qMax(mostThreads, program.threads()); });
        watch.start(1);
        const qint64 threadLimit = idleThreads + kAssociationsAtOnce + kWaitingConnections + 8;

        std::list<RawConnection> connections;
        for (int i = 0; i < 300; ++i)
            QVERIFY(connections.emplace_back().open(program.port));
        QVERIFY2(mostThreads <= threadLimit, qPrintable(QString::number(mostThreads)));
        QElapsedTimer clock;
        clock.start();
        const QString image = images.make(QStringLiteral("served.dcm"));
        const ToolRun run = Storescu(program.port, {image}, {QStringLiteral("-v")});
        // Served at once: behind silent connections read one after another it
        // would wait 5 s for each (storescu itself gives up after 30 s).
        QVERIFY2(run.succeeded() && clock.elapsed() < 15000, qPrintable(run.output));
        QCOMPARE(AcknowledgedButMissing({image}, run.output, archive.folder()), 0);
        connections.clear();

        int accepted = 0;
        for (int i = 0; i < 40; ++i) {
            RawConnection& connection = connections.emplace_back();
            QVERIFY(connection.open(program.port) && connection.send(model.associateRequest));
            const QByteArray answer = connection.waitForPdus(1).value(0);
            QVERIFY(answer.startsWith(pdu::AssociateAc) || answer.startsWith(pdu::AssociateRj));
            accepted += answer.startsWith(pdu::AssociateAc);
        }
        QCOMPARE(accepted, kAssociationsAtOnce);
        QVERIFY2(mostThreads <= threadLimit, qPrintable(QString::number(mostThreads)));
        const qint64 growthKiB = program.residentKiB() - idleKiB;
        qInfo("threads: %lld idle, at most %lld; resident memory %+lld KiB", idleThreads, mostThreads, growthKiB);
        QVERIFY2(!ResidentGrowthTellsLeaks() || growthKiB < 64 * 1024, qPrintable(QString::number(growthKiB)));
        connections.clear();
        QVERIFY2(WaitUntil([&] { return program.threads() <= idleThreads; }, 10000),
                 qPrintable(QString::number(program.threads())));
    }
};

QTEST_GUILESS_MAIN(tst_Program)
#include "tst_program.moc"
