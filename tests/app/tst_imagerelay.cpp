// The relay end to end in the program as main() builds it: storescu sends to
// the listener the window started, storescp is the archive. The stamp is the
// operator on duty at each image's moment, the debug log says what happened,
// and failing images show one transfer message while their senders hear of it.

#include "AppTest.h"
#include "ui/FrmEdit.h"

#include "ArchivePeers.h"
#include "DicomTools.h"
#include "TestImages.h"

using namespace quorin::test;

namespace {

const QString TransferFailed = Box("Quorin Relay: Fehler", "Es ist ein Fehler bei der Übertragung aufgetreten.",
                                   MessageIcon::Error);
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

// The debug log's lines without their time stamps.
QStringList DebugLines()
{
    QFile log(DebugLogPath());
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLatin1(log.readAll()).split(QStringLiteral("\r\n"));
    lines.removeLast(); // after the last CRLF
    for (QString& line : lines)
        line.remove(QRegularExpression(QStringLiteral(R"(^\d\d\.\d\d\.\d{4}( \d\d:\d\d:\d\d)? - )")));
    return lines;
}

} // namespace

class tst_ImageRelay : public QObject {
    Q_OBJECT

private slots:
    void stampsTheOperatorOnDutyAtEachImage()
    {
        StorescpArchive archive;
        QVERIFY(archive.start());
        const quint16 relayPort = freeLoopbackPort();
        RelayApp app(RelayIni(relayPort, QByteArray::number(archive.port()), "0"));
        app.load();
        const QStringList images = TestImages(app.folder.path()).series(QStringLiteral("ct"), 3);

        QVERIFY(storescu(relayPort, {images[0]}).succeeded());
        app.clickRow(1, true);
        QVERIFY(storescu(relayPort, {images[1]}).succeeded());
        WhenModal<FrmEdit>(&app.form, [](FrmEdit& form) { // the short code of the operator on duty
            TypeText(form.txtShort, QStringLiteral("2"));
            QTest::mouseClick(form.cmdOpEdit, Qt::LeftButton);
        });
        QTest::mouseClick(app.form.cmdEdit, Qt::LeftButton);
        QVERIFY(storescu(relayPort, {images[2]}).succeeded());

        QStringList stamps;
        for (const QString& file : archive.storedFiles())
            stamps.append(Dumped(file, QStringLiteral("0008,1070")));
        stamps.sort();
        QCOMPARE(stamps, (QStringList{"AA", "BB", "BB2"}));
        QVERIFY(app.boxes.shown.isEmpty());
        QVERIFY(!QFile::exists(DebugLogPath())); // Debugmode 0 writes nothing
    }

    // Lines A and B for each image, C only for one the archive took.
    void debugLinesAndTheTransferMessage()
    {
        StorescpArchive archive;
        const quint16 relayPort = freeLoopbackPort(), downPort = freeLoopbackPort();
        RelayApp app(RelayIni(relayPort, QByteArray::number(downPort), "01")); // 1 as a number; nobody listens there
        app.load();
        const QStringList images = TestImages(app.folder.path()).series(QStringLiteral("ct"), 2);
        const auto lineA = [](const QString& image) {
            return QStringLiteral("Change Attribut (Images: %1 | New Attribut: AA)").arg(Dumped(image, "0008,0018"));
        };
        const auto lineB = [](quint16 port) { return QStringLiteral("Send to ARCHIVE - 127.0.0.1 - %1").arg(port); };

        QVERIFY(!storescu(relayPort, {images[0]}).succeeded());
        QTRY_COMPARE(app.boxes.shown, QStringList{TransferFailed});
        QVERIFY(app.listeningShown(true));
        QCOMPARE(DebugLines(), (QStringList{lineA(images[0]), lineB(downPort)}));

        // The archive comes back: the next image goes through, no new message.
        QVERIFY(archive.start());
        RelaySettings().ArchivePort = QString::number(archive.port());
        QVERIFY(storescu(relayPort, {images[1]}).succeeded());
        QCOMPARE(archive.storedFiles().size(), 1);
        QTRY_COMPARE(DebugLines(), (QStringList{lineA(images[0]), lineB(downPort), lineA(images[1]),
                                                lineB(archive.port()), LineC}));
        QCOMPARE(app.boxes.shown.size(), 1);
    }

    // The box is held open while the sender's further images fail: they are
    // answered at once and show no second box. Once it is closed, the next
    // failure shows it again.
    void oneTransferMessageWhileImagesKeepFailing()
    {
        const quint16 relayPort = freeLoopbackPort();
        RelayApp app(RelayIni(relayPort, "abc", "1")); // fails after line A
        app.load();
        const QStringList images = TestImages(app.folder.path()).series(QStringLiteral("ct"), 3);
        std::unique_ptr<RunningTool> sender;
        bool answeredWhileOpen = false;
        app.boxes.onShow = [&] { answeredWhileOpen = QTest::qWaitFor([&] { return sender->done(); }, 30000); };
        // On after a failure (storescu halts by default), and telling each response.
        sender = startStorescu(relayPort, images, {QStringLiteral("--no-halt"), QStringLiteral("-v")});
        QTRY_VERIFY_WITH_TIMEOUT(sender->done() && !app.boxes.shown.isEmpty(), 30000);
        QVERIFY(answeredWhileOpen);
        QCOMPARE(sender->result(0).output.count(QStringLiteral("Refused: OutOfResources")), 3);
        QCOMPARE(app.boxes.shown, QStringList{TransferFailed});
        const QStringList lines = DebugLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.first().startsWith(QStringLiteral("Change Attribut (Images: ")));

        app.boxes.onShow = nullptr;
        QVERIFY(!storescu(relayPort, {images[0]}).succeeded());
        QTRY_COMPARE(app.boxes.shown.size(), 2);
    }
};

QTEST_MAIN(tst_ImageRelay)
#include "tst_imagerelay.moc"
