// The relay end to end in the program as main() builds it: storescu sends to
// the listener the window started, storescp is the archive. The stamp is the
// operator on duty at each image's moment, the debug log says what happened,
// and failing images show one transfer message while their senders hear of it.

#include "AppTest.h"
#include "settings/DebugLog.h"

#include "ArchivePeers.h"
#include "DicomTools.h"
#include "TestImages.h"

using namespace quorin::test;

namespace {

const QString TransferFailed = "Quorin Relay: Fehler | Es ist ein Fehler bei der Übertragung aufgetreten. | Error";
const QString LineC(49, QLatin1Char('-'));

QString Dumped(const QString& file, const QString& tag)
{
    const QRegularExpression line(QStringLiteral(R"(\(%1\) .. \[([^\]]*)\])").arg(QRegularExpression::escape(tag)));
    return line.match(runTool(QStringLiteral("dcmdump"), {QStringLiteral("+L"), file}).output).captured(1);
}

QByteArray RelayIni(quint16 relayPort, const QByteArray& archivePort, const QByteArray& debugmode)
{
    return "[Archive]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=" + archivePort + "\r\n[Local]\r\nLocalAET=RELAY\r\n"
           "LocalPort=" + QByteArray::number(relayPort) + "\r\nDebugmode=" + debugmode + "\r\n"
           "[Operator]\r\nOperatorCount=2\r\nOperator1=Checked|Anna|Arm|AA\r\nOperator2=|Bert|Bo|BB\r\n";
}

QString DebugLog()
{
    QFile log(DebugLogPath());
    return log.open(QIODevice::ReadOnly) ? QString::fromLatin1(log.readAll()) : QString();
}

} // namespace

class tst_ImageRelay : public QObject {
    Q_OBJECT

private slots:
    // Lines A and B for each image, C only for one the archive took; the
    // stamp is the operator on duty at each image's moment.
    void stampsAndDebugLines()
    {
        StorescpArchive archive;
        const quint16 relayPort = freeLoopbackPort(), downPort = freeLoopbackPort();
        RelayApp app(RelayIni(relayPort, QByteArray::number(downPort), "01")); // 1 as a number; nobody listens there
        app.load();
        const QStringList images = TestImages(app.folder.path()).series(QStringLiteral("ct"), 4);
        SetDebugLogClock([] { return QDateTime({2026, 12, 7}, {10, 0, 1}); });
        QString log;
        const auto sent = [&](int image, const QString& stamp, quint16 port) {
            const QString line = QStringLiteral("07.12.2026 10:00:01 - %1\r\n");
            log += line.arg(QStringLiteral("Change Attribut (Images: %1 | New Attribut: %2)").arg(Dumped(images[image], "0008,0018"), stamp))
                   + line.arg(QStringLiteral("Send to ARCHIVE - 127.0.0.1 - %1").arg(port)) + (port == archive.port() ? line.arg(LineC) : "");
        };

        QVERIFY(!storescu(relayPort, {images[0]}).succeeded());
        QTRY_COMPARE(app.shown, QStringList{TransferFailed});
        QVERIFY(app.listeningShown(true, relayPort));
        sent(0, "AA", downPort);
        QCOMPARE(DebugLog(), log);

        // The archive comes back: the next images go through, no new message.
        QVERIFY(archive.start());
        RelaySettings().ArchivePort = QString::number(archive.port());
        QVERIFY(storescu(relayPort, {images[1]}).succeeded());
        app.clickRow(1, true);
        QVERIFY(storescu(relayPort, {images[2]}).succeeded());
        sent(1, "AA", archive.port());
        sent(2, "BB", archive.port());
        QTRY_COMPARE(DebugLog(), log);
        RelaySettings().Debugmode = QStringLiteral("0"); // writes nothing
        QVERIFY(storescu(relayPort, {images[3]}).succeeded());
        QStringList stamps;
        for (const QString& file : archive.storedFiles())
            stamps.append(Dumped(file, QStringLiteral("0008,1070")));
        stamps.sort();
        QCOMPARE(stamps, (QStringList{"AA", "BB", "BB"}));
        QCOMPARE(DebugLog(), log);
        QCOMPARE(app.shown.size(), 1);
        SetDebugLogClock({});
    }

    // The real box is held open while the sender's further images fail: they
    // are answered at once and open no second box. Once it is closed, the
    // next failure opens it again.
    void oneTransferMessageWhileImagesKeepFailing()
    {
        const quint16 relayPort = freeLoopbackPort();
        RelayApp app(RelayIni(relayPort, "abc", "1")); // fails after line A
        app.load();
        const QStringList images = TestImages(app.folder.path()).series(QStringLiteral("ct"), 3);
        // On after a failure (storescu halts by default), and telling each response.
        const auto sender = startStorescu(relayPort, images, {QStringLiteral("--no-halt"), QStringLiteral("-v")});
        bool answeredWhileOpen = false;
        const QDeadlineTimer deadline(30000);
        app.hold = [&] { // the box, held open until the sender is done (at most 30 s)
            answeredWhileOpen |= sender->done();
            return !sender->done() && !deadline.hasExpired();
        };
        QTRY_VERIFY_WITH_TIMEOUT(sender->done() && !app.shown.isEmpty() && !QApplication::activeModalWidget(), 40000);
        QVERIFY(answeredWhileOpen);
        QCOMPARE(app.mostBoxes, 1);
        QCOMPARE(app.shown, QStringList{TransferFailed});
        QCOMPARE(sender->result(0).output.count(QStringLiteral("Refused: OutOfResources")), 3);
        QCOMPARE(DebugLog().count(QStringLiteral(" - Change Attribut (Images: ")), 3); // line A alone
        QCOMPARE(DebugLog().count(QStringLiteral("\r\n")), 3);

        QVERIFY(!storescu(relayPort, {images[0]}).succeeded());
        QTRY_COMPARE(app.shown, (QStringList{TransferFailed, TransferFailed}));
    }
};

QTEST_MAIN(tst_ImageRelay)
#include "tst_imagerelay.moc"
