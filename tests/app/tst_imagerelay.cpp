// The relay end to end in the real main window: storescu sends to the
// listener the window started, storescp is the archive. The stamp is the
// operator on duty at each image's moment, the debug log tells what happened,
// and a failing archive shows one transfer message and fails its senders.

#include "AppTestFolder.h"
#include "RecordingMessageBoxes.h"
#include "TypeText.h"
#include "app/MainWindow.h"
#include "operators/EditOperatorDialog.h"
#include "operators/OperatorListView.h"
#include "operators/OperatorSelection.h"
#include "settings/AppPaths.h"
#include "settings/RelaySettings.h"
#include "ui/ControlState.h"
#include "ui/FrmEdit.h"
#include "ui/FrmMain.h"

#include "ArchivePeers.h"
#include "DicomTools.h"
#include "EventLoopWait.h"
#include "LoopbackPorts.h"
#include "TestImages.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace quorin::test;

namespace {

const QString TransferFailed = QStringLiteral("Es ist ein Fehler bei der Übertragung aufgetreten.");

QString DumpText(const QString& file)
{
    return runTool(QStringLiteral("dcmdump"), {QStringLiteral("+L"), file}).output;
}

QString OperatorsName(const QString& file)
{
    const QRegularExpression line(QStringLiteral(R"(\(0008,1070\) PN \[([^\]]*)\])"));
    return line.match(DumpText(file)).captured(1);
}

} // namespace

class tst_ImageRelay : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void stampsTheOperatorOnDutyAtEachImage();
    void debugLinesFollowEachImage();
    void failingArchiveShowsOneMessageAndFailsItsSenders();
    void unusableArchivePortFailsTheImageAfterLineA();

private:
    void startRelay(quint16 archivePort, const QByteArray& debugmode, const QByteArray& archivePortText = {});
    QStringList debugLines() const;

    std::unique_ptr<AppTestFolder> m_folder;
    std::unique_ptr<TestImages> m_images;
    RecordingMessageBoxes m_boxes;
    std::unique_ptr<FrmMain> m_form;
    std::unique_ptr<MainWindow> m_window;
    quint16 m_relayPort = 0;
};

void tst_ImageRelay::init()
{
    m_folder = std::make_unique<AppTestFolder>();
    QVERIFY(m_folder->isValid());
    m_boxes = RecordingMessageBoxes{};
    m_images = std::make_unique<TestImages>(m_folder->path());
}

void tst_ImageRelay::cleanup()
{
    m_window.reset();
    m_form.reset();
    m_folder.reset();
}

void tst_ImageRelay::startRelay(quint16 archivePort, const QByteArray& debugmode, const QByteArray& archivePortText)
{
    m_relayPort = freeLoopbackPort();
    QFile settings(SettingsFilePath());
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Archive]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort="
                   + (archivePortText.isNull() ? QByteArray::number(archivePort) : archivePortText)
                   + "\r\n[Local]\r\nLocalAET=RELAY\r\nLocalPort=" + QByteArray::number(m_relayPort)
                   + "\r\nDebugmode=" + debugmode
                   + "\r\n[Operator]\r\nOperatorCount=2\r\nOperator1=Checked|Anna|Arm|AA\r\nOperator2=|Bert|Bo|BB\r\n");
    settings.close();
    m_form = std::make_unique<FrmMain>();
    m_window = std::make_unique<MainWindow>(*m_form, m_boxes);
    m_window->load();
    QCOMPARE(m_form->cmdStartStop->text(), QStringLiteral("Stop"));
}

QStringList tst_ImageRelay::debugLines() const
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

void tst_ImageRelay::stampsTheOperatorOnDutyAtEachImage()
{
    StorescpArchive archive;
    QVERIFY(archive.start());
    startRelay(archive.port(), "0");
    const QStringList images = m_images->series(QStringLiteral("ct"), 3);

    QVERIFY(storescu(m_relayPort, {images[0]}).succeeded());
    OnOperatorItemCheck(m_form->lstOperator, m_window->station(), OperatorRow(m_form->lstOperator, 1));
    QVERIFY(storescu(m_relayPort, {images[1]}).succeeded());

    // Editing the operator on duty changes the stamp of the next image.
    FrmEdit edit(m_form.get());
    new EditOperatorDialog(edit, OperatorRow(m_form->lstOperator, 1), m_window->station());
    edit.txtShort->clear();
    TypeText(edit.txtShort, QStringLiteral("b2"));
    QTest::mouseClick(edit.cmdOpEdit, Qt::LeftButton);
    QVERIFY(storescu(m_relayPort, {images[2]}).succeeded());

    const QStringList stored = archive.storedFiles();
    QCOMPARE(stored.size(), 3);
    QStringList stamps;
    for (const QString& file : stored)
        stamps.append(OperatorsName(file));
    stamps.sort();
    QCOMPARE(stamps, (QStringList{"AA", "BB", "b2"}));
    QVERIFY(m_boxes.shown.isEmpty());
    QVERIFY(!QFile::exists(DebugLogPath())); // Debugmode 0 writes nothing
}

void tst_ImageRelay::debugLinesFollowEachImage()
{
    StorescpArchive archive;
    QVERIFY(archive.start());
    startRelay(archive.port(), "01");
    const QString image = m_images->make(QStringLiteral("one.dcm"));

    QVERIFY(storescu(m_relayPort, {image}).succeeded());
    QVERIFY(waitUntil([&] { return debugLines().size() == 3; }, 5000));

    const QString uid = QRegularExpression(QStringLiteral(R"(\(0008,0018\) UI \[([^\]]*)\])"))
                            .match(DumpText(image)).captured(1);
    QCOMPARE(debugLines(), (QStringList{
        QStringLiteral("Change Attribut (Images: %1 | New Attribut: AA)").arg(uid),
        QStringLiteral("Send to ARCHIVE - 127.0.0.1 - %1").arg(archive.port()),
        QString(49, QLatin1Char('-'))}));
}

void tst_ImageRelay::failingArchiveShowsOneMessageAndFailsItsSenders()
{
    StorescpArchive archive;
    const quint16 archivePort = freeLoopbackPort(); // nothing listens there yet
    startRelay(archivePort, "1");
    const QStringList images = m_images->series(QStringLiteral("ct"), 4);

    // While the first message is open, the next images fail too: no second box.
    m_boxes.onShow = [] { waitFor(1500); };
    const ToolRun failed = storescu(m_relayPort, images.mid(0, 3));
    QVERIFY2(!failed.succeeded(), qPrintable(failed.output));
    QCOMPARE(m_boxes.texts(), QStringList{TransferFailed});
    QCOMPARE(m_boxes.shown.first().title, QStringLiteral("Quorin Relay: Fehler"));
    QCOMPARE(m_boxes.shown.first().icon, MessageIcon::Error);
    QCOMPARE(BackColor(m_form->picOp), ColorGreen);
    QCOMPARE(m_form->cmdStartStop->text(), QStringLiteral("Stop"));
    // Lines A and B for each failed image, never line C.
    QVERIFY(!debugLines().contains(QString(49, QLatin1Char('-'))));

    // The archive comes back: the next image goes through, no new message.
    m_boxes.onShow = nullptr;
    QVERIFY(archive.start());
    RelaySettings().ArchivePort = QString::number(archive.port());
    QVERIFY(storescu(m_relayPort, {images[3]}).succeeded());
    QCOMPARE(archive.storedFiles().size(), 1);
    QCOMPARE(m_boxes.shown.size(), 1);
}

void tst_ImageRelay::unusableArchivePortFailsTheImageAfterLineA()
{
    startRelay(0, "1", "abc");
    const QString image = m_images->make(QStringLiteral("one.dcm"));

    // The sender hears of the failure while the message is still open.
    QProcess sender;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TCP_NODELAY"), QStringLiteral("1"));
    sender.setProcessEnvironment(environment);
    bool answeredWhileBoxOpen = false;
    m_boxes.onShow = [&] {
        answeredWhileBoxOpen = waitUntil([&] { return sender.state() == QProcess::NotRunning; }, 10000);
    };
    sender.start(QStringLiteral("storescu"), {QStringLiteral("-aec"), QStringLiteral("RELAY"),
                                              QStringLiteral("127.0.0.1"), QString::number(m_relayPort), image});
    QVERIFY(waitUntil([&] { return !m_boxes.shown.isEmpty(); }, 10000));
    QVERIFY(answeredWhileBoxOpen);
    QVERIFY(sender.exitCode() != 0 || sender.readAll().contains("Failed"));

    QCOMPARE(m_boxes.texts(), QStringList{TransferFailed});
    const QStringList lines = debugLines();
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines.first().startsWith(QStringLiteral("Change Attribut (Images: ")));
}

QTEST_MAIN(tst_ImageRelay)
#include "tst_imagerelay.moc"
