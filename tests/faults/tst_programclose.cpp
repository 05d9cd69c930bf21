// Closing the program ("Beenden") while senders are in the middle of large
// images, or while the relay waits on an archive that never answers. The
// program runs as a user runs it, from a folder of its own with its
// Settings.ini, and must end at once and cleanly: exit status 0, the
// operator list saved, every sender's connection ended, nothing acknowledged
// that the archive lacks, nothing left behind.

#include "ArchivePeers.h"
#include "DicomTools.h"
#include "EventLoopWait.h"
#include "FaultyArchive.h"
#include "TestImages.h"

#include <QtTest>

using namespace quorin::test;

class tst_ProgramClose : public QObject {
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
        QTemporaryDir work;
        const QDir dir(work.path());
        const QDir tmp(dir.filePath(QStringLiteral("tmp")));
        QVERIFY(work.isValid() && dir.mkpath(QStringLiteral("program")) && dir.mkpath(tmp.path())
                && dir.mkdir(QStringLiteral("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // 200 MB, so each takes a while to arrive; with the silent archive
        // the images arrive whole and wait on it. Eight on each of four
        // associations: a relay that let them run on after the close would
        // still be receiving.
        ImageRecipe large;
        large.rows = large.columns = 512;
        large.frames = archiveSilent ? 1 : 400;
        const QStringList images(8, TestImages(work.path()).make(QStringLiteral("large.dcm"), large));
        QVERIFY(!images.first().isEmpty());

        StorescpArchive archive({.concurrent = true});
        SilentPeer silentArchive;
        QVERIFY(archiveSilent ? silentArchive.isListening() : archive.start());
        const quint16 port = freeLoopbackPort();
        const QString program = dir.filePath(QStringLiteral("program/QuorinRelay"));
        QVERIFY(QFile::copy(QStringLiteral(CLOSABLE_RELAY), program));
        // Windows-1252 with CRLF, as the program keeps it. An operator is
        // ticked, so the program listens as soon as it has started.
        const QString settings = dir.filePath(QStringLiteral("program/Settings.ini"));
        const QString text = QStringLiteral("[Archive]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=%1\r\n[Local]\r\nLocalAET=QUORIN"
                                            "\r\nLocalPort=%2\r\nDebugmode=0\r\n[Operator]\r\nOperatorCount=1\r\n"
                                            "Operator1=Checked|Anna|Müller|AM\r\n");
        const quint16 archivePort = archiveSilent ? silentArchive.serverPort() : archive.port();
        QVERIFY(TestFiles::write(settings, text.arg(archivePort).arg(port).toLatin1()));
        // Written seconds before the program could save it at the close.
        const QDateTime written = QFileInfo(settings).lastModified();

        QProcess relay;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tmp.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
        relay.setProcessEnvironment(environment);
        relay.setProcessChannelMode(QProcess::MergedChannels);
        relay.start(program, {});
        QVERIFY(waitForListeningPort(port, 15000, &relay));

        std::vector<std::unique_ptr<RunningTool>> senders;
        for (int i = 0; i < 4; ++i)
            senders.push_back(startStorescu(port, images, {QStringLiteral("-v"), QStringLiteral("--no-halt")}));
        // Every worker busy: receiving (into a temporary file, or passing the
        // image on while it arrives), or waiting for the archive's answer to
        // its association request.
        const auto receiving = [&] {
            QStringList files;
            for (const QString& folder : tmp.entryList({QStringLiteral("quorinrelay-*")}, QDir::Dirs))
                files += QDir(tmp.filePath(folder)).entryList(QDir::Files);
            return files;
        };
        QVERIFY(waitUntil([&] { return archiveSilent ? silentArchive.connections == 4
                                                     : receiving().size() + archive.storedFiles().size() >= 4; },
                          60000));
        for (const auto& sender : senders)
            QVERIFY(!sender->done());

        QElapsedTimer closing;
        closing.start();
        relay.write("Beenden\n");
        // It ends well within 2 s; a bound only a hang breaks.
        QVERIFY2(waitUntil([&] { return relay.state() == QProcess::NotRunning; }, 10000), relay.readAll().constData());
        qInfo("the program ended %lld ms after the click, exit status %d", closing.elapsed(), relay.exitCode());
        QVERIFY2(relay.exitStatus() == QProcess::NormalExit && relay.exitCode() == 0, relay.readAll().constData());
        QVERIFY2(QFileInfo(settings).lastModified() > written, "the operator list was not saved");

        for (const auto& sender : senders) {
            const ToolRun run = sender->result(30000);
            QVERIFY2(run.finished, qPrintable(run.output));
            QCOMPARE(acknowledgedButMissing(images, run.output, archive.folder()), 0);
        }
        QVERIFY2(tmp.entryList({QStringLiteral("quorinrelay-*")}, QDir::AllEntries).isEmpty(),
                 qPrintable(receiving().join(u' ')));
        QTcpServer probe;
        QVERIFY2(probe.listen(QHostAddress::AnyIPv4, port), "the port is still taken");
    }
};

QTEST_GUILESS_MAIN(tst_ProgramClose)
#include "tst_programclose.moc"
