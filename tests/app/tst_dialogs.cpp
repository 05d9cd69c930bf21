// The three dialogs, opened with the main window's buttons and menu and
// filled in key by key. "Neu anlegen" and "Operator ändern": what the boxes
// take, the checks and their messages, the focus after a real message box,
// what reaches the list. "Einstellungen": the typing filter and the keys
// that pass it (Tab, Enter, Delete), what it shows (the file), and what
// Übernehmen, OK and Abbrechen write, reload and stop. Each of them modal to
// the user only: images go on being relayed while it is open.

#include "AppTest.h"
#include "ui/FrmSettings.h"

#include "ArchivePeers.h"
#include "TestImages.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

const QString kFillAll = "Quorin Relay: Fehler | Bitte füllen Sie alle Felder aus. | Information";
const QString kTaken = "Quorin Relay: Bereits vorhanden | Dieser Kürzel ist bereits vergeben. | Information";

// typed: first name, surname, short code ("paste " before a text pastes
// it); correction: typed after a Backspace where the message leaves the
// focus; stored: the row written, none when the dialog stays; rows: in the
// list; dialog: "new", or "edit" closed with Enter or "Abbrechen".
struct Fill { QStringList typed; QString message, correction = {}; QStringList stored = {}; int rows = 2; QString dialog = "new"; };
// file: Settings.ini when the dialog opens, none: as loaded (relaying,
// LocalPort only), "none": no file, nothing ever listened; typed: into the
// five boxes, each reached with Tab, which selects its text; button: pressed
// after, Enter: in the last box; shown: the boxes as opened; written: the
// file after, none: unchanged.
struct Press { QByteArray file; QStringList typed; QString button; bool readOnly; QStringList shown; QByteArray written; };

#ifdef Q_OS_WIN
// What Windows knows of `window`, in X11's words: SKIP_TASKBAR unless it has
// a button there by Windows' rule (not owned, or an app window, never a tool
// window); "main" when the main window owns it.
QString DesktopView(const QWidget& window, const QWidget& main)
{
    const HWND owner = GetWindow(HWND(window.winId()), GW_OWNER);
    const LONG_PTR style = GetWindowLongPtrW(HWND(window.winId()), GWL_EXSTYLE);
    const bool taskbar = !(style & WS_EX_TOOLWINDOW) && (!owner || (style & WS_EX_APPWINDOW));
    return (QString(taskbar ? "" : "SKIP_TASKBAR ") + (owner == HWND(main.winId()) ? "main" : "")).trimmed();
}
#else
// What the desktop knows of `window` (xprop): its types and states, "main"
// when it belongs to the main window.
QString DesktopView(const QWidget& window, const QWidget& main)
{
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window.winId()), "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "WM_TRANSIENT_FOR"});
    xprop.waitForFinished();
    const QString shown = QString::fromLatin1(xprop.readAllStandardOutput()).replace(QString::asprintf("0x%llx", quint64(main.winId())), "main");
    QStringList words;
    for (const auto& match : QRegularExpression("_NET_WM_(?:WINDOW_TYPE|STATE)_(\\w+)|# (\\w+)").globalMatch(shown))
        words << match.captured(1) + match.captured(2);
    return words.join(' ');
}
#endif

} // namespace

class tst_Dialogs : public QObject {
    Q_OBJECT

private slots:
    // Every dialog a row drives opened.
    void cleanup() { QCOMPARE(std::exchange(PendingModalSteps(), 0), 0); }

    void operatorDialogsCheckWhatIsTyped_data()
    {
        QTest::addColumn<Fill>("f");
        const QString q20(20, 'q'), n120(120, 'n');
        QTest::newRow("field empty: focus stays") << Fill{{"", "Weiß", "ß"}, kFillAll, "Jürgen", {"Jürgen", "Weiß", "ß"}};
        QTest::newRow("surname empty") << Fill{{"Max", "", "MM"}, kFillAll};
        QTest::newRow("short code empty") << Fill{{"Max", "Muster", ""}, kFillAll};
        QTest::newRow("short code taken: focus to it") << Fill{{"Jürgen", "Weiß", "aa"}, kTaken, "w", {"Jürgen", "Weiß", "AW"}};
        QTest::newRow("list full") << Fill{{"Max", "Muster", "MM"}, "Quorin Relay: Fehler | Die Operatorliste ist voll. | Information", "", {}, 32766};
        QTest::newRow("blanks count as filled; a trailing blank makes a code free") << Fill{{" ", " ", "AA "}, "", "", {" ", " ", "AA "}};
        QTest::newRow("same names, a code taken in other case: free") << Fill{{"Anna", "Arm", "LO"}, "", "", {"Anna", "Arm", "LO"}};
        QTest::newRow("empty list: row 1") << Fill{{"Max", "Muster", "mm"}, "", "", {"Max", "Muster", "MM"}, 0};
        // Upper-cased as typed; no capital in the code page, or only "SS": kept,
        // so the code keeps its length, 16 at most.
        QTest::newRow("length limits; short code upper-cased, µ and ß kept")
            << Fill{{n120, "M", "aµßb" + q20}, "", "", {n120.left(100), "M", "AµßB" + q20.left(12).toUpper()}};
        QTest::newRow("separator pasted") << Fill{{"A", "paste x|y", "M"}, kFillAll};
        QTest::newRow("separator typed, outside Windows-1252: dropped; € kept") << Fill{{"A|B", "5€Ł", "M"}, "", "", {"AB", "5€", "M"}};
        // Edit checks nothing: empty, taken, lower case.
        QTest::newRow("edit: as typed, on duty anew") << Fill{{"", "Bo", "lo"}, "", "", {"", "Bo", "lo"}, 2, "edit"};
        QTest::newRow("edit, Abbrechen: unchanged") << Fill{{"", "Bo", "lo"}, "", "", {"Anna", "Arm", "AA"}, 2, "Abbrechen"};
    }
    // Typed box by box with Tab, back to the first with Shift+Tab, Enter. The
    // real message box is answered with a key; then the dialog is activated
    // again, as a desktop's window manager does.
    void operatorDialogsCheckWhatIsTyped()
    {
        QFETCH(Fill, f);
        const bool edit = f.dialog != "new";
        const quint16 port = quorin::test::FreeLoopbackPort();
        RelayApp app(Operators("xAA -lo", "Checked", f.rows) + "[Local]\r\nLocalPort=" + QByteArray::number(port) + "\r\n");
        app.load(); // Anna on duty and selected; an empty list: nobody, as the start said
        app.shown.clear();
        app.form.cmdEdit->setEnabled(edit); // new: as after deleting the last row
        app.form.cmdDel->setEnabled(edit);
        WhenModal<QDialog>(&app.form, [&](QDialog& form) {
            QCOMPARE(form.windowTitle(), edit ? QStringLiteral("Operator ändern") : QStringLiteral("Neu anlegen"));
            const auto box = [&form](const char* name) { return form.findChild<QLineEdit*>(name); };
            const QList<QLineEdit*> boxes{box("txtName"), box("txtSurename"), box("txtShort")};
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(boxes[i]->text(), edit ? QStringList({"Anna", "Arm", "AA"})[i] : ""); // as loaded
                QTest::keyClick(boxes[i], Qt::Key_A, Qt::ControlModifier);
                QGuiApplication::clipboard()->setText(f.typed[i].mid(6));
                if (f.typed[i].startsWith("paste "))
                    QTest::keyClick(boxes[i], Qt::Key_V, Qt::ControlModifier);
                else
                    TypeText("\b" + f.typed[i]);
                TypeText(i < 2 ? "\t" : "\x0b\x0b"); // Tab, or Shift+Tab twice back to the first box
            }
            if (f.dialog == "Abbrechen")
                QTest::mouseClick(form.findChild<QPushButton*>("cmdClose"), Qt::LeftButton);
            else
                TypeText("\r");
            QCOMPARE(app.shown.join(""), f.message);
            QCOMPARE(form.isVisible(), !f.message.isEmpty());
            if (f.message.isEmpty())
                return;
            QVERIFY(Activate(&form));
            QCOMPARE(QApplication::focusWidget(), f.message == kTaken ? boxes[2] : boxes[0]);
            if (f.correction.isEmpty())
                return;
            TypeText("\b" + f.correction + "\r"); // closes: else no row is added
        });
        QTest::mouseClick(edit ? app.form.cmdEdit : app.form.cmdNew, Qt::LeftButton);

        QCOMPARE(OperatorRowCount(app.form.lstOperator), f.rows + (!edit && !f.stored.isEmpty()));
        if (f.stored.isEmpty())
            return;
        // A new row at the end, neither ticked nor selected; an edited one stays on duty.
        QTreeWidgetItem* row = app.row(edit ? 0 : f.rows);
        QCOMPARE(RowEntry(row), (OperatorEntry{edit ? "Checked" : "", f.stored[0], f.stored[1], f.stored[2]}));
        QCOMPARE(QList<bool>({IsRowTicked(row), row->isSelected()}), QList<bool>(2, edit));
        QVERIFY(app.form.cmdEdit->isEnabled() && app.form.cmdDel->isEnabled());
        QCOMPARE(app.wiring.station().operatorShortCode(), edit ? f.stored[2] : f.rows ? "AA" : "");
        QCOMPARE(app.form.lblOperator->text(), edit ? f.stored[0] + ' ' + f.stored[1] : f.rows ? "Anna Arm" : "Kein Operator ausgewählt");
    }

    // The operator dialogs have a taskbar button each, "Einstellungen",
    // owned by the main window, has none; none can be minimised. The main
    // window takes no click while any of them is open, yet an image arriving
    // meanwhile is relayed, and what was typed stays.
    void dialogsOnTheTaskbar_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::addColumn<QString>("desktop");
        QTest::newRow("Neu anlegen") << "cmdNew" << "NORMAL MODAL";
        QTest::newRow("Operator ändern") << "cmdEdit" << "NORMAL MODAL";
        QTest::newRow("Einstellungen") << "mnuSettings" << "DIALOG NORMAL SKIP_TASKBAR MODAL main";
    }
    void dialogsOnTheTaskbar()
    {
        QFETCH(QString, opener);
        QFETCH(QString, desktop);
#ifdef Q_OS_WIN
        desktop = desktop.split(' ').filter(QRegularExpression("^(SKIP_TASKBAR|main)$")).join(' '); // Windows' words
#else
        if (QGuiApplication::platformName() != "xcb")
            desktop = "-"; // no taskbar without an X server: not compared
#endif
        quorin::test::StorescpArchive archive;
        QVERIFY(archive.start());
        const quint16 port = quorin::test::FreeLoopbackPort();
        RelayApp app("[Archive]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=" + QByteArray::number(archive.port())
                     + "\r\n[Local]\r\nLocalAET=RELAY\r\nLocalPort=" + QByteArray::number(port) + "\r\n" + Operators("xAA"));
        app.load(); // Anna selected, relaying
        const QStringList image = quorin::test::TestImages(app.folder.path()).series("ct", 1);
        QSignalSpy deletes(app.form.cmdDel, &QPushButton::clicked);
        WhenModal<QDialog>(&app.form, [&](QDialog& form) {
            if (desktop != "-")
                QCOMPARE(DesktopView(form, app.form), desktop);
            QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
            QTest::mouseClick(app.form.windowHandle(), Qt::LeftButton, {}, app.form.cmdDel->mapTo(&app.form, QPoint(9, 9)));
            TypeText("x"); // into the box with the focus, over the name "Operator ändern" selected there
            QVERIFY(quorin::test::Storescu(port, image).succeeded());
            QCOMPARE(archive.storedFiles().size(), 1);
            QVERIFY(form.isVisible() && QApplication::focusWidget());
            QCOMPARE(QApplication::focusWidget()->property("text").toString(), QStringLiteral("x"));
        });
        if (auto* button = app.form.findChild<QPushButton*>(opener))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            app.choose(app.form.mnuSettings);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(deletes.count(), 0);
        // The same click with no dialog open reaches the button.
        QTest::mouseClick(app.form.windowHandle(), Qt::LeftButton, {}, app.form.cmdDel->mapTo(&app.form, QPoint(9, 9)));
        QCOMPARE(deletes.count(), 1);
    }

    void settingsDialogWritesReloadsAndStops_data()
    {
        QTest::addColumn<Press>("p");
        const auto written = [](const QByteArrayList& v) { // archive AET, IP, port, local AET, port
            return "[Operator]\r\nOperatorCount=1\r\nOperator1=Checked|Anna|Arm|AA\r\n[Local]\r\nLocalPort=" + v[4]
                   + "\r\nLocalAET=" + v[3] + "\r\nDebugmode=0\r\n[Archive]\r\nAET=" + v[0] + "\r\nIP=" + v[1] + "\r\nPort=" + v[2] + "\r\n";
        };
        const QStringList typed{"ARCHIVE", "10.0.0.5", "104", "RELAY", "1234"}; // the port's selected digits typed over at the limit
        QTest::newRow("Übernehmen") << Press{{}, typed, "cmdApply", false, {}, written({"ARCHIVE", "10.0.0.5", "104", "RELAY", "1234"})};
        // The file made; the stop request finds no server object.
        const QByteArray made = "[Archive]\r\nAET=ARCHIVE\r\nIP=10.0.0.5\r\nPort=104\r\n[Local]\r\nLocalAET=RELAY\r\nLocalPort=1234\r\nDebugmode=0\r\n";
        QTest::newRow("no Settings.ini, never listened: Übernehmen") << Press{"none", typed, "cmdApply", false, QStringList(5), made};
        QTest::newRow("no Settings.ini, never listened: OK") << Press{"none", typed, "cmdOK", false, QStringList(5), made};
        QTest::newRow("Abbrechen") << Press{{}, typed, "cmdClose", false, {}, {}};
        QTest::newRow("OK, file read-only: reported") << Press{{}, typed, "cmdOK", true, {}, {}};
        // IP: digits and full stops; ports: digits, at most four typed; AE
        // titles unfiltered. Ctrl+V ("7" on the clipboard), Ctrl+A, Ctrl+X
        // and Ctrl+Z type control characters: swallowed too.
        QTest::newRow("Enter: what the typing filter lets in, no Ctrl+V, X, Z")
            << Press{{}, {"Ärchiv-1.x", "1a-2:3 .4\x16", "1.0-456\x01\x18", "a.b", "99999\x1a"}, "Enter", false, {},
                     written({"\xC4rchiv-1.x", "123.4", "1045", "a.b", "9999"})};
        // Reloaded: an emptied LocalPort is read back empty, not as 109.
        QTest::newRow("Enter: Delete empties the port") << Press{{}, {"", "", "", "", "\x7f"}, "Enter", false, {}, written({"", "", "", "", ""})};
        // Values replaced in place, the file's own lines and endings kept,
        // missing keys appended; a longer port than typing allows shows whole.
        QTest::newRow("OK untouched: values as the file has them")
            << Press{"[Local]\nLocalAET = RELAY \n[Archive]\nAET=\"ARCH\"\nPort=123456\n", {}, "cmdOK", false,
                     {"ARCH", "", "123456", "RELAY", ""},
                     "[Local]\nLocalAET = RELAY\nLocalPort=\r\nDebugmode=0\r\n[Archive]\nAET=ARCH\nPort=123456\nIP=\r\n"};
        // The TLS keys, which the dialog does not show, stay as they stand.
        const QByteArray tls = "[Archive]\r\nTLS=1\r\nTLSCertificate=relay.pem\r\nTLSVerifyArchive=0\r\n";
        QTest::newRow("OK untouched: TLS keys kept")
            << Press{tls, {}, "cmdOK", false, {"", "", "", "", ""},
                     tls + "AET=\r\nIP=\r\nPort=\r\n[Local]\r\nLocalAET=\r\nLocalPort=\r\nDebugmode=0\r\n"};
        // Debugmode: one the box cannot show, ticked, greyed.
        for (const QByteArray mode : {"abc", "1", "2"})
            QTest::newRow(("OK untouched: Debugmode " + mode).constData())
                << Press{"[Local]\r\nDebugmode=" + mode + "\r\n", {}, "cmdOK", false, {"", "", "", "", ""},
                         "[Local]\r\nDebugmode=" + mode + "\r\nLocalAET=\r\nLocalPort=\r\n[Archive]\r\nAET=\r\nIP=\r\nPort=\r\n"};
    }
    void settingsDialogWritesReloadsAndStops()
    {
        QFETCH(Press, p);
        const quint16 port = quorin::test::FreeLoopbackPort();
        RelayApp app(p.file == "none" ? QByteArray() : Operators("xAA") + "[Local]\r\nLocalPort=" + QByteArray::number(port) + "\r\n");
        app.load();
        if (!p.file.isEmpty() && p.file != "none")
            app.writeSettings(p.file); // changed since the load: the dialog shows the file
        const QByteArray before = app.settingsFile();
        QGuiApplication::clipboard()->setText("7");
        if (p.readOnly)
            QVERIFY(QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner));
        WhenModal<FrmSettings>(&app.form, [&](FrmSettings& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Einstellungen"));
            QVERIFY(!form.chkDebug->isVisible() && !form.cmdApply->isEnabled());
            const QList<QLineEdit*> boxes{form.txtAET, form.txtIP, form.txtPort, form.txtLocAET, form.txtLocPort};
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(boxes[i]->text(), p.shown.isEmpty() ? (i == 4 ? QString::number(port) : "") : p.shown[i]);
                if (!p.typed.isEmpty())
                    TypeText(p.typed[i] + (i < 4 ? "\t" : ""));
            }
            if (p.button == "Enter")
                TypeText("\r");
            else
                QTest::mouseClick(form.findChild<QPushButton*>(p.button), Qt::LeftButton);
            QCOMPARE(form.isVisible(), p.button == "cmdApply");
            QVERIFY(!form.cmdApply->isEnabled() || p.button == "cmdClose");
        });
        app.choose(app.form.mnuSettings);
        QCOMPARE(app.settingsFile(), p.written.isEmpty() ? before : p.written);
        const RelaySettings file = LoadSettings(); // what the file holds: the dialog has reloaded it
        QCOMPARE(QStringList({app.settings.ArchiveAET, app.settings.LocalPort, app.settings.Tls.TLSCertificate}),
                 QStringList({file.ArchiveAET, file.LocalPort, file.Tls.TLSCertificate}));
        QVERIFY(app.listeningShown(p.button == "cmdClose", port)); // stopped on the port it listened on
        QCOMPARE(app.shown.join(""), p.readOnly ? "Quorin Relay: Fehler | Die Einstellungen konnten nicht gespeichert werden. | Critical" : "");
    }
};

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
