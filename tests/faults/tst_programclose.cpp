// Closing the program ("Beenden") while senders are in the middle of large
// images, or while the relay waits on an archive that never answers. The
// program runs as a user runs it, from a folder of its own with
// its Settings.ini, and must end at once and cleanly: exit status 0, the
// operator list saved, every sender's connection ended, nothing acknowledged
// that the archive lacks, nothing left behind.

#include "AcknowledgementLedger.h"
#include "ArchivePeers.h"
#include "DicomTools.h"
#include "EventLoopWait.h"
#include "LoopbackPorts.h"
#include "SilentPeer.h"
#include "TestImages.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace quorin::test;

namespace {

const int kSenders = 4;
// Images each sender sends on its association: it is still sending for
// seconds after the click, and a relay that let associations run on after
// the close would still be receiving them.
const int kImagesPerSender = 8;

// Windows-1252 with CRLF, as the program keeps it. An operator is ticked,
// so the program listens as soon as it has started.
QByteArray settingsText(quint16 archivePort, quint16 localPort)
{
    const QStringList lines{QStringLiteral("[Archive]"), QStringLiteral("AET=ARCHIVE"),
                            QStringLiteral("IP=127.0.0.1"), QStringLiteral("Port=%1").arg(archivePort),
                            QStringLiteral("[Local]"), QStringLiteral("LocalAET=QUORIN"),
                            QStringLiteral("LocalPort=%1").arg(localPort), QStringLiteral("Debugmode=0"),
                            QStringLiteral("[Operator]"), QStringLiteral("OperatorCount=1"),
                            QStringLiteral("Operator1=Checked|Anna|Müller|AM")};
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

// The relay's files of images being received, under the program's TMPDIR.
QStringList receivingFiles(const QDir& tmp)
{
    QStringList files;
    for (const QString& folder : tmp.entryList({QStringLiteral("quorinrelay-*")}, QDir::Dirs))
        files += QDir(tmp.filePath(folder)).entryList(QDir::Files);
    return files;
}

} // namespace

class tst_ProgramClose : public QObject {
    Q_OBJECT

private slots:
    void closingEndsEveryAssociationAtOnce_data();
    void closingEndsEveryAssociationAtOnce();
};

void tst_ProgramClose::closingEndsEveryAssociationAtOnce_data()
{
    QTest::addColumn<bool>("archiveSilent");
    QTest::newRow("senders mid-image") << false;
    QTest::newRow("relay waiting 30 s for the archive's answer") << true;
}

void tst_ProgramClose::closingEndsEveryAssociationAtOnce()
{
    QFETCH(bool, archiveSilent);
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QDir dir(work.path());
    QVERIFY(dir.mkpath(QStringLiteral("program")) && dir.mkpath(QStringLiteral("tmp"))
            && dir.mkpath(QStringLiteral("images")));
    const QDir tmp(dir.filePath(QStringLiteral("tmp")));
    // 200 MB, so each takes a while to arrive; with the silent archive the
    // images arrive whole and wait on it.
    ImageRecipe large;
    large.rows = 512;
    large.columns = 512;
    large.frames = archiveSilent ? 1 : 400;
    const QString image = TestImages(dir.filePath(QStringLiteral("images"))).make(QStringLiteral("large.dcm"), large);
    QVERIFY(!image.isEmpty());
    const QStringList images(kImagesPerSender, image);

    StorescpOptions concurrent;
    concurrent.concurrent = true;
    StorescpArchive archive(concurrent);
    SilentPeer silentArchive;
    QVERIFY(archiveSilent ? silentArchive.listen() : archive.start());
    const quint16 port = freeLoopbackPort();
    const QString program = dir.filePath(QStringLiteral("program/QuorinRelay"));
    QVERIFY(QFile::copy(QStringLiteral(CLOSABLE_RELAY), program));
    QFile settings(dir.filePath(QStringLiteral("program/Settings.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    QVERIFY(settings.write(settingsText(archiveSilent ? silentArchive.port() : archive.port(), port)) > 0);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-3600);
    QVERIFY(settings.setFileTime(before, QFileDevice::FileModificationTime));
    settings.close();

    QProcess relay;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tmp.path());
    QVERIFY(dir.mkdir(QStringLiteral("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    relay.setProcessEnvironment(environment);
    relay.setProcessChannelMode(QProcess::MergedChannels);
    relay.setStandardOutputFile(dir.filePath(QStringLiteral("program.log")));
    relay.start(program, {});
    const auto log = [&dir] {
        QFile file(dir.filePath(QStringLiteral("program.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    };
    QVERIFY2(waitForListeningPort(port, 15000, &relay), qPrintable(log()));

    std::vector<std::unique_ptr<RunningTool>> senders;
    for (int i = 0; i < kSenders; ++i)
        senders.push_back(startStorescu(port, images, {QStringLiteral("-v"), QStringLiteral("--no-halt")}));
    // Every worker busy: receiving (into a temporary file, or passing the
    // image on to the archive while it arrives), or waiting for the
    // archive's answer to its association request.
    QVERIFY2(waitUntil(
                 [&] {
                     return archiveSilent ? silentArchive.connections() == kSenders
                                          : receivingFiles(tmp).size() + archive.storedFiles().size() >= kSenders;
                 },
                 60000),
             qPrintable(receivingFiles(tmp).join(u' ')));
    for (const auto& sender : senders)
        QVERIFY(!sender->done());

    QElapsedTimer closing;
    closing.start();
    relay.write("Beenden\n");
    QVERIFY2(waitUntil([&] { return relay.state() == QProcess::NotRunning; }, 30000), qPrintable(log()));
    const qint64 exitMs = closing.elapsed();
    qInfo("the program ended %lld ms after the click, exit status %d", exitMs, relay.exitCode());
    QVERIFY2(relay.exitStatus() == QProcess::NormalExit && relay.exitCode() == 0, qPrintable(log()));
    QVERIFY2(exitMs < 2000, qPrintable(QString::number(exitMs)));
    QVERIFY2(QFileInfo(settings).lastModified() > before.addSecs(60), "the operator list was not saved");

    AcknowledgementLedger ledger;
    for (int i = 0; i < kSenders; ++i) {
        const ToolRun run = senders[i]->result(30000);
        QVERIFY2(run.finished, qPrintable(QStringLiteral("sender %1 hangs: %2").arg(i).arg(run.output)));
        ledger.record(images, run.output);
    }
    QCOMPARE(ledger.settle(archive.folder()), 0);
    qInfo("%d of %d images acknowledged", ledger.acknowledgedTotal(), kSenders * kImagesPerSender);
    QVERIFY2(tmp.entryList({QStringLiteral("quorinrelay-*")}, QDir::AllEntries).isEmpty(),
             qPrintable(receivingFiles(tmp).join(u' ')));
    QTcpServer probe;
    QVERIFY2(probe.listen(QHostAddress::AnyIPv4, port), "the port is still taken");
}

QTEST_GUILESS_MAIN(tst_ProgramClose)
#include "tst_programclose.moc"
