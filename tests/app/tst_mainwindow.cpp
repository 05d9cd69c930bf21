// The main window from outside: the load step and its automatic start, the
// start/stop button against a real listener, what ticks, clicks and deletes
// do to the operator list and the relay, and the close sequence that saves
// the list. Then the relay end to end: storescu sends to the listener the
// window started, storescp is the archive. The stamp is the operator on
// duty at each image's moment, the debug log says what happened, and
// failing images show one transfer message while their senders hear of it.

#include "AppTest.h"
#include "settings/DebugLog.h"
#include "ui/FrmEdit.h"

#include "ArchivePeers.h"
#include "DatasetText.h"
#include "TestImages.h"

using namespace quorin::test;

namespace {

const QString kNoConnection = "Quorin Relay: Keine Verbindung | Es konnte keine Verbindung hergestellt werden. | Critical";
const QString kNoOperator = "Quorin Relay: Kein Operator ausgewählt. | Sie müssen einen Operator auswählen. | Information";
const QString kAsk = "Quorin Relay: Wirklich löchen? | Wollen Sie den Operator wirklich löschen? | Question | &Ja, &Nein";
const QString kNotSaved = "Quorin Relay: Fehler | Die Operatorliste konnte nicht gespeichert werden. | Critical";

const QString kTransferFailed = "Quorin Relay: Fehler | Es ist ein Fehler bei der Übertragung aufgetreten. | Critical";

struct Load { QByteArray localPort, marker; QStringList messages; };
// steps: "box <row>" (its check box clicked), "row <row>" (clicked),
// "current <row>" (made the list's current item), "Space" (the key, on the
// list), a button clicked, "Datei/Beenden" (the menu), "No" (the next
// question's answer, else Yes), "read-only" (Settings.ini), "no file"
// (first: no Settings.ini, the rows put in the list after the load). The
// window is closed last, with the title bar's button if still open.
struct Steps { QString loaded, steps, rows; QStringList shown = {}; };

} // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT

private slots:
    void loadStartsRelayingWithSettingsFile_data()
    {
        // localPort "free": such a port; "none": no Settings.ini.
        // marker: the second operator's.
        QTest::addColumn<Load>("l");
        QTest::newRow("no Settings.ini: nothing starts") << Load{"none", "Checked", {}};
        QTest::newRow("ticked, free port") << Load{"free", "Checked", {}};
        QTest::newRow("lower case: no marker") << Load{"free", "checked", {kNoOperator}};
        QTest::newRow("trailing blank: no marker") << Load{"free", "Checked ", {kNoOperator}};
        QTest::newRow("beyond the port range") << Load{"70000", "Checked", {kNoConnection}};
        // Without a ticked operator the stop request still needs the port.
        QTest::newRow("empty, nobody ticked") << Load{"", "", {kNoOperator, kNoConnection}};
        QTest::newRow("empty") << Load{"", "Checked", {kNoConnection}};
    }
    void loadStartsRelayingWithSettingsFile()
    {
        QFETCH(Load, l);
        const quint16 port = FreeLoopbackPort();
        const QByteArray number = l.localPort == "free" ? QByteArray::number(port) : l.localPort;
        const QByteArray ini = l.localPort == "none" ? QByteArray() : "[Local]\r\nLocalPort=" + number + "\r\n" + Operators("-AA xnn", l.marker);
        RelayApp app(ini);
        app.load();

        QCOMPARE(app.form.windowTitle(), QStringLiteral("Quorin Relay: Version 1.0.0"));
        QVERIFY(!app.windowShownWithBox); // the load step's boxes come before the window
        const bool relaying = !ini.isEmpty() && l.messages.isEmpty();
        QVERIFY(app.listeningShown(relaying, l.localPort == "free" ? port : 0));
        if (relaying) {
            QTest::mouseClick(app.form.cmdStartStop, Qt::LeftButton);
            QVERIFY(app.listeningShown(false, port));
            QTest::keyClick(app.form.lstOperator, Qt::Key_Return); // Enter presses the default button
            QVERIFY(app.listeningShown(true, port));
        }
        QCOMPARE(app.shown, l.messages); // and none from stopping and starting
        app.form.close();
        QCOMPARE(app.settingsFile(), ini); // saved as loaded; an empty list creates no file
    }

    void listFollowsTheUser_data()
    {
        QTest::addColumn<Steps>("s");
        QTest::newRow("load: the last marked is on duty") << Steps{"xAA -nn xCC", "", "xAA -nn x*CC"};
        // Empty names: the label is the joining blank alone.
        QTest::newRow("Space tick: the only one; closed with Beenden") << Steps{"xAA -nn xCC", "current 1, Space, cmdClose", "-AA x*nn -CC"};
        QTest::newRow("unticking the one on duty: ticked again") << Steps{"xAA -nn -CC", "box 0", "x*AA -nn -CC"};
        QTest::newRow("click on a row: no tick") << Steps{"-AA -nn -CC", "row 0", "-*AA -nn -CC"};
        QTest::newRow("delete, No: kept") << Steps{"-AA -nn xCC -DD", "row 1, No, cmdDel", "-AA -*nn xCC -DD", {kAsk}};
        QTest::newRow("delete: the last row selected after") << Steps{"-AA -nn xCC -DD", "row 1, cmdDel", "-AA xCC -*DD", {kAsk}};
        QTest::newRow("delete the one on duty: relaying stops") << Steps{"xAA -nn", "row 0, cmdDel", "-*nn", {kAsk}};
        QTest::newRow("delete the only row: Edit and Delete off") << Steps{"-AA", "row 0, cmdDel", "", {kAsk}};
        QTest::newRow("nothing selected: nothing asked, no dialog") << Steps{"-AA -nn", "cmdDel, cmdEdit", "-AA -nn"};
        QTest::newRow("delete before any start") << Steps{"", "no file, cmdDel", "", {kAsk}};
        QTest::newRow("read-only file: reported; mouse tick, closed from the menu")
            << Steps{"xAA -nn", "box 1, read-only, Datei/Beenden", "-AA x*nn", {kNotSaved}};
    }
    void listFollowsTheUser()
    {
        QFETCH(Steps, s);
        const quint16 port = FreeLoopbackPort();
        const bool noFile = s.steps.startsWith("no file");
        const QByteArray local = "[Local]\r\nLocalPort=" + QByteArray::number(port) + "\r\n", loaded = local + Operators(s.loaded);
        RelayApp app(noFile ? QByteArray() : loaded);
        app.load();
        app.shown.clear();
        WhenModal<FrmEdit>(&app.form, [](FrmEdit&) { QFAIL("no row, yet a dialog to edit it"); }, false);
        // A step by its first word; any other word is a button's name.
        const auto click = [&](const QString& button) { QTest::mouseClick(app.form.findChild<QPushButton*>(button), Qt::LeftButton); };
        const QHash<QString, std::function<void(const QString&)>> act{
            {"no", [&](const QString&) { LoadOperatorRows(app.form.lstOperator, app.wiring.station(), {{"Checked", "Anna", "Arm", "AA"}}); }},
            {"box", [&](const QString& step) { app.clickRow(step.section(' ', 1).toInt(), true); }},
            {"row", [&](const QString& step) { app.clickRow(step.section(' ', 1).toInt()); }},
            {"current", [&](const QString& step) { app.form.lstOperator->setCurrentItem(app.row(step.section(' ', 1).toInt())); }},
            {"Space", [&](const QString&) { QTest::keyClick(app.form.lstOperator, Qt::Key_Space); }},
            {"No", [&](const QString&) { app.answers.enqueue(QMessageBox::No); }},
            {"read-only", [&](const QString&) { QVERIFY(QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner)); }},
            {"Datei/Beenden", [&](const QString&) { app.choose(app.form.mnuClose); }}};
        for (const QString& step : s.steps.split(", ", Qt::SkipEmptyParts))
            act.value(step.section(' ', 0, 0), click)(step);
        // Whatever the user did: the window minimisable, "Speichern" not to be
        // picked, the columns as designed (4940, 4940 and 1941 hundredths of a
        // millimetre, 15 twips a pixel).
        const QTreeWidget* list = app.form.lstOperator;
        const auto column = [list](int i) { return list->headerItem()->text(i) + '/' + QString::number(list->columnWidth(i)); };
        QCOMPARE(QStringList({column(0), column(1), column(2), QString::number(list->columnCount())}),
                 QStringList({"    Vorname/187", "Nachname/187", "Kürzel/73", "3"}));
        QVERIFY(app.form.windowFlags() & Qt::WindowMinimizeButtonHint && !list->isHeaderHidden());
        QVERIFY(!app.form.mnuSave->isEnabled() || !app.form.mnuSave->isVisible());
        QCOMPARE(app.form.isVisible(), !s.steps.contains("Beenden") && !s.steps.contains("cmdClose"));
        if (app.form.isVisible())
            app.form.close(); // as with the title bar's button
        QString rows, onDuty, label = QStringLiteral("Kein Operator ausgewählt");
        for (int i = 0; i < OperatorRowCount(app.form.lstOperator); ++i)
            rows += QString(IsRowTicked(app.row(i)) ? "x" : "-") + (app.row(i)->isSelected() ? "*" : "")
                    + app.row(i)->text(ShortCodeColumn) + ' ';
        QCOMPARE(rows.trimmed(), s.rows);
        for (const QString& word : s.rows.split(' ', Qt::SkipEmptyParts)) // the last ticked is on duty
            if (word.startsWith('x'))
                label = QString(kNames[onDuty = word.right(2)]).replace('|', ' ');
        QCOMPARE(QStringList({app.wiring.station().operatorShortCode(), app.form.lblOperator->text()}), QStringList({onDuty, label}));
        QVERIFY(app.listeningShown(!onDuty.isEmpty(), port));
        QCOMPARE(QList<bool>({app.form.cmdEdit->isEnabled(), app.form.cmdDel->isEnabled()}), QList<bool>(2, !s.rows.isEmpty()));
        QCOMPARE(app.shown, s.shown);
        // Rows of a longer list stay behind the count, unread.
        const QByteArray saved = s.steps.contains("read-only") ? loaded : local + Operators(s.rows);
        QCOMPARE(app.settingsFile().left(saved.size()), noFile ? QByteArray() : saved);
    }

    // The stamp is the operator on duty at each image's moment. Line A for
    // each image, B for one handed to the archive, C for one it took. The
    // real box is held open while the sender's further images fail: they
    // are answered at once and open no second box; once it is closed, the
    // next failure opens it again.
    void relaysStampsLogsAndTellsOfFailures()
    {
        StorescpArchive archive;
        const quint16 relayPort = FreeLoopbackPort(), downPort = FreeLoopbackPort();
        // Debugmode the number 1; the archive port no number: images fail after line A. Anna on duty, Cleo
        // not, nor the third operator, whose names and short code are empty.
        RelayApp app("[Archive]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=abc\r\n[Local]\r\nLocalAET=RELAY\r\nLocalPort="
                     + QByteArray::number(relayPort) + "\r\nDebugmode=+1.0\r\n" + Operators("xAA -CC", "Checked", 3));
        app.load();
        const QStringList images = TestImages(app.folder.path()).series(QStringLiteral("ct"), 8);
        SetDebugLogClock([] { return QDateTime({2026, 12, 7}, {10, 0, 1}); });
        const auto debugLog = [] { return QString::fromLatin1(TestFiles::Read(DebugLogPath())); };
        QString log;
        const auto logged = [&](int image, const QString& stamp, quint16 port) {
            const QString line = QStringLiteral("07.12.2026 10:00:01 - %1\r\n");
            log += line.arg(QStringLiteral("Change Attribut (Images: %1 | New Attribut: %2)")
                                .arg(QString(RawValue(images[image], 0x0008, 0x0018)), stamp))
                   + (port ? line.arg(QStringLiteral("Send to ARCHIVE - 127.0.0.1 - %1").arg(port)) : "")
                   + (port && port == archive.port() ? line.arg(QString(49, '-')) : "");
        };

        // On after a failure (storescu halts by default), and telling each response.
        const auto sender = StartStorescu(relayPort, images.mid(0, 3), {QStringLiteral("--no-halt"), QStringLiteral("-v")});
        bool answeredWhileOpen = false;
        const QDeadlineTimer deadline(30000);
        app.hold = [&] { // the box, held open until the sender is done (at most 30 s)
            answeredWhileOpen |= sender->done();
            return !sender->done() && !deadline.hasExpired();
        };
        QTRY_VERIFY_WITH_TIMEOUT(sender->done() && !app.shown.isEmpty() && !QApplication::activeModalWidget(), 40000);
        QVERIFY(answeredWhileOpen);
        QCOMPARE(app.mostBoxes, 1);
        QCOMPARE(app.shown, QStringList{kTransferFailed});
        QCOMPARE(sender->result(0).output.count(QStringLiteral("Refused: OutOfResources")), 3);
        for (int image = 0; image < 3; ++image)
            logged(image, "AA", 0);
        QCOMPARE(debugLog(), log);

        app.settings.ArchivePort = QString::number(downPort); // nobody listens there
        QVERIFY(!Storescu(relayPort, {images[3]}).succeeded());
        QTRY_COMPARE(app.shown, (QStringList{kTransferFailed, kTransferFailed}));
        QVERIFY(app.listeningShown(true, relayPort));
        logged(3, "AA", downPort);

        // The archive comes back: the next images go through, no new message.
        QVERIFY(archive.start());
        app.settings.ArchivePort = QString::number(archive.port()) + ".0"; // logged as a whole number
        QVERIFY(Storescu(relayPort, {images[4]}).succeeded());
        app.clickRow(1, true);
        QVERIFY(Storescu(relayPort, {images[5]}).succeeded());
        logged(4, "AA", archive.port());
        logged(5, "CC", archive.port());
        QTRY_COMPARE(debugLog(), log);
        app.settings.Debugmode = QStringLiteral("2.5"); // a number other than 1: writes nothing
        app.clickRow(2, true); // an empty short code on duty: stamped over the image's own value
        QVERIFY(RunTool("dcmodify", {"-nb", "-i", "(0008,1070)=OLD", images[6]}).succeeded());
        QVERIFY(Storescu(relayPort, {images[6]}).succeeded());
        QCOMPARE(debugLog(), log);
        QCOMPARE(app.shown.size(), 2);
        // Debugmode 1 with a file named Log where its folder belongs: line A
        // cannot be written, so the image fails and its sender hears so.
        app.settings.Debugmode = QStringLiteral("1");
        QVERIFY(QDir(app.folder.filePath("Log")).removeRecursively() && TestFiles::Write(app.folder.filePath("Log"), "x"));
        QVERIFY(!Storescu(relayPort, {images[7]}).succeeded());
        QTRY_COMPARE(app.shown, QStringList(3, kTransferFailed));
        QStringList stamps;
        for (const QString& file : archive.storedFiles())
            stamps.append(RawValue(file, 0x0008, 0x1070));
        stamps.sort();
        QCOMPARE(stamps, (QStringList{"", "AA", "CC"}));
        SetDebugLogClock({});
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
