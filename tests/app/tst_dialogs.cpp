// The three dialogs, opened with the main window's buttons and menu and
// filled in key by key. "Neu anlegen" and "Operator ändern": what the boxes
// take, the checks and their messages, the focus after a real message box,
// what reaches the list. "Einstellungen": the typing filter and the keys
// that pass it, what it shows (the file), and what Übernehmen, OK and
// Abbrechen write, reload and stop.

#include "AppTest.h"
#include "ui/FrmEdit.h"
#include "ui/FrmNew.h"
#include "ui/FrmSettings.h"

namespace {

const QString FillAll = Box("Quorin Relay: Fehler", "Bitte füllen Sie alle Felder aus.", MessageIcon::Information);
const QString Taken = Box("Quorin Relay: Bereits vorhanden", "Dieser Kürzel ist bereits vergeben.",
                          MessageIcon::Information);

// A Settings.ini with the relay listening on `port`, these operator rows,
// and empty rows up to `count`.
QByteArray Ini(quint16 port, const QByteArrayList& rows, int count = -1)
{
    QByteArray ini = "[Operator]\r\nOperatorCount=" + QByteArray::number(count < 0 ? rows.size() : count) + "\r\n";
    for (int i = 0; i < rows.size(); ++i)
        ini += "Operator" + QByteArray::number(i + 1) + "=" + rows[i] + "\r\n";
    return ini + "[Local]\r\nLocalPort=" + QByteArray::number(port) + "\r\n";
}

// Ctrl+A (its text a control character, as X11 delivers it), then `text`
// typed over the selection.
void TypeOver(QLineEdit* box, const QString& text)
{
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    TypeText(box, text);
}

// The value of `key` in `ini`.
QString Value(const QByteArray& ini, const QString& key)
{
    return QRegularExpression("\n" + key + "=([^\r\n]*)").match("\n" + QString::fromLatin1(ini)).captured(1);
}

template <class Steps>
void OpenSettings(RelayApp& app, Steps steps)
{
    WhenModal<FrmSettings>(&app.form, steps);
    app.choose(app.form.mnuSettings);
}

// press: cmdNew (clicked in "Neu anlegen"), or in "Operator ändern" Return
// or cmdClose; typed: first name, surname, short code ("paste " before a
// text pastes it); rows: in the list; stored: the row written, none when a
// message comes instead.
struct Fill { QString press; QStringList typed; int rows; QString message; QStringList stored; };
struct FocusCase { QString firstName, shortCode, message, focus, correction, storedCode; };
// file: Settings.ini when the dialog opens, none: as loaded (relaying,
// LocalPort only); typed: the five boxes typed over; shown: the boxes as
// opened; written: the file after, none: unchanged.
struct Press { QByteArray file; QStringList typed; QString button; bool readOnly; QStringList shown; QByteArray written; };

} // namespace

class tst_Dialogs : public QObject {
    Q_OBJECT

private slots:
    void operatorDialogsCheckWhatIsTyped_data()
    {
        QTest::addColumn<Fill>("f");
        const QString q20(20, 'q'), n120(120, 'n');
        QTest::newRow("first name empty") << Fill{"cmdNew", {"", "Muster", "MM"}, 2, FillAll, {}};
        QTest::newRow("surname empty") << Fill{"cmdNew", {"Max", "", "MM"}, 2, FillAll, {}};
        QTest::newRow("short code empty") << Fill{"cmdNew", {"Max", "Muster", ""}, 2, FillAll, {}};
        QTest::newRow("short code taken") << Fill{"cmdNew", {"Max", "Muster", "AB"}, 2, Taken, {}};
        QTest::newRow("list full") << Fill{"cmdNew", {"Max", "Muster", "MM"}, 32766,
                                           Box("Quorin Relay: Fehler", "Die Operatorliste ist voll.", MessageIcon::Information), {}};
        QTest::newRow("blanks count as filled") << Fill{"cmdNew", {" ", " ", "NEW"}, 2, "", {" ", " ", "NEW"}};
        QTest::newRow("other case is free") << Fill{"cmdNew", {"Max", "Muster", "LO"}, 2, "", {"Max", "Muster", "LO"}};
        QTest::newRow("trailing blank is free") << Fill{"cmdNew", {"Max", "Muster", "AB "}, 2, "", {"Max", "Muster", "AB "}};
        QTest::newRow("same names, other code") << Fill{"cmdNew", {"Anna", "Arm", "AA2"}, 2, "", {"Anna", "Arm", "AA2"}};
        QTest::newRow("short code upper-cased as typed") << Fill{"cmdNew", {"M", "M", "xy"}, 2, "", {"M", "M", "XY"}};
        // No capital in the code page, or only "SS": kept, so the code keeps its length.
        QTest::newRow("µ and ß kept in short codes") << Fill{"cmdNew", {"M", "M", "aµßb"}, 2, "", {"M", "M", "AµßB"}};
        QTest::newRow("separator typed") << Fill{"cmdNew", {"A|B", "M", "M"}, 2, "", {"AB", "M", "M"}};
        QTest::newRow("separator pasted") << Fill{"cmdNew", {"A", "paste x|y", "M"}, 2, FillAll, {}};
        QTest::newRow("outside Windows-1252") << Fill{"cmdNew", {"AŁB", "M", "M"}, 2, "", {"AB", "M", "M"}};
        QTest::newRow("euro sign is fine") << Fill{"cmdNew", {"A", "5€", "M"}, 2, "", {"A", "5€", "M"}};
        QTest::newRow("length limits") << Fill{"cmdNew", {n120, "M", q20}, 2, "", {n120.left(100), "M", q20.left(16).toUpper()}};
        // Edit checks nothing: empty, taken, lower case.
        QTest::newRow("edit, Enter: as typed, on duty anew") << Fill{"Return", {"", "Bo", "lo"}, 2, "", {"", "Bo", "lo"}};
        QTest::newRow("edit, Abbrechen: unchanged") << Fill{"cmdClose", {"", "Bo", "lo"}, 2, "", {"Anna", "Arm", "AB"}};
    }
    void operatorDialogsCheckWhatIsTyped()
    {
        QFETCH(Fill, f);
        const bool edit = f.press != "cmdNew";
        RelayApp app(Ini(quorin::test::freeLoopbackPort(), {"Checked|Anna|Arm|AB", "|Lo|Wer|lo"}, f.rows));
        app.load(); // Anna on duty and selected
        app.boxes.shown.clear();
        app.form.cmdEdit->setEnabled(edit); // new: as after deleting the last row
        app.form.cmdDel->setEnabled(edit);
        const auto steps = [&](auto& form) {
            QCOMPARE(form.windowTitle(), edit ? QStringLiteral("Operator ändern") : QStringLiteral("Neu anlegen"));
            const QList<QLineEdit*> boxes{form.txtName, form.txtSurename, form.txtShort};
            const QStringList shown = edit ? QStringList{"Anna", "Arm", "AB"} : QStringList{"", "", ""};
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(boxes[i]->text(), shown[i]);
                TypeOver(boxes[i], {});
                QTest::keyClick(boxes[i], Qt::Key_Backspace);
                QGuiApplication::clipboard()->setText(f.typed[i].mid(6));
                if (f.typed[i].startsWith("paste "))
                    QTest::keyClick(boxes[i], Qt::Key_V, Qt::ControlModifier);
                else
                    TypeText(boxes[i], f.typed[i]);
            }
            if (f.press == "Return")
                QTest::keyClick(form.txtName, Qt::Key_Return);
            else
                QTest::mouseClick(form.template findChild<QPushButton*>(f.press), Qt::LeftButton);
            QCOMPARE(form.isVisible(), !f.message.isEmpty());
            if (f.message == Taken)
                QCOMPARE(QApplication::focusWidget(), form.txtShort);
        };
        if (edit)
            WhenModal<FrmEdit>(&app.form, steps);
        else
            WhenModal<FrmNew>(&app.form, steps);
        QTest::mouseClick(edit ? app.form.cmdEdit : app.form.cmdNew, Qt::LeftButton);

        QCOMPARE(app.boxes.shown, f.message.isEmpty() ? QStringList{} : QStringList{f.message});
        QCOMPARE(OperatorRowCount(app.form.lstOperator), f.rows + (!edit && !f.stored.isEmpty()));
        if (f.stored.isEmpty())
            return;
        // A new row at the end, neither ticked nor selected; an edited one stays on duty.
        QTreeWidgetItem* row = app.row(edit ? 0 : 2);
        QCOMPARE(RowEntry(row), (OperatorEntry{edit ? "Checked" : "", f.stored[0], f.stored[1], f.stored[2]}));
        QCOMPARE(IsRowTicked(row), edit);
        QCOMPARE(row->isSelected(), edit);
        QVERIFY(app.form.cmdEdit->isEnabled() && app.form.cmdDel->isEnabled());
        QCOMPARE(app.window.station().operatorShortCode(), edit ? f.stored[2] : "AB");
        QCOMPARE(app.form.lblOperator->text(), edit ? f.stored[0] + ' ' + f.stored[1] : "Anna Arm");
    }

    void focusAfterTheRealMessageBox_data()
    {
        // focus: where the correction is typed, after a Backspace.
        QTest::addColumn<FocusCase>("c");
        QTest::newRow("code taken: to the code") << FocusCase{"Jürgen", "ab", Taken, "txtShort", "w", "AW"};
        QTest::newRow("field empty: stays") << FocusCase{"", "ß", FillAll, "txtName", "Jürgen", "ß"};
    }
    // The real box opens and is closed with Enter; then the dialog is
    // activated again, as a desktop's window manager does.
    void focusAfterTheRealMessageBox()
    {
        QFETCH(FocusCase, c);
        RelayApp app(Ini(quorin::test::freeLoopbackPort(), {"Checked|Anna|Arm|AB"}), true);
        app.load();
        QString shown;
        WhenModal<FrmNew>(&app.form, [&](FrmNew& form) {
            const auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
                QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            };
            QCOMPARE(QApplication::focusWidget(), form.txtName);
            TypeText(form.txtName, c.firstName);
            key(Qt::Key_Tab);
            TypeText(form.txtSurename, QStringLiteral("Weiß"));
            key(Qt::Key_Tab);
            TypeText(form.txtShort, c.shortCode);
            key(Qt::Key_Tab, Qt::ShiftModifier);
            key(Qt::Key_Tab, Qt::ShiftModifier);
            WhenModal<QMessageBox>(&form, [&](QMessageBox& box) {
                const bool error = box.icon() == QMessageBox::Critical;
                shown = Box(box.windowTitle(), box.text(), error ? MessageIcon::Error : MessageIcon::Information);
                QTest::keyClick(&box, Qt::Key_Return);
            });
            key(Qt::Key_Return);
            QCOMPARE(shown, c.message);
            QVERIFY(Activate(&form));
            QCOMPARE(QApplication::focusWidget()->objectName(), c.focus);
            key(Qt::Key_Backspace);
            TypeText(QApplication::focusWidget(), c.correction);
            key(Qt::Key_Return);
            QVERIFY(!form.isVisible());
        });
        QTest::mouseClick(app.form.cmdNew, Qt::LeftButton);
        QCOMPARE(OperatorRowCount(app.form.lstOperator), 2);
        QCOMPARE(RowEntry(app.row(1)), (OperatorEntry{"", "Jürgen", "Weiß", c.storedCode}));
    }

    // Typed into every box in turn, Delete, Tab, Shift+Tab and Enter carry a
    // control character as their text, as X11 delivers them; the filter lets
    // them pass. Übernehmen joins the tab order once enabled.
    void settingsKeysPassTheTypingFilter()
    {
        const auto press = [](Qt::Key key, char16_t text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), key, QString(QChar(text)), modifiers);
        };
        const quint16 port = quorin::test::freeLoopbackPort();
        RelayApp app(Ini(port, {"Checked|Anna|Arm|AB"}));
        app.load();
        OpenSettings(app, [&](FrmSettings& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Einstellungen"));
            QVERIFY(!form.cmdApply->isEnabled());
            const QStringList order{"txtAET", "txtIP", "txtPort", "txtLocAET", "txtLocPort", "cmdOK", "cmdApply", "cmdClose"};
            for (const QString& name : order) {
                QCOMPARE(QApplication::focusWidget()->objectName(), name);
                if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget())) {
                    TypeOver(box, QStringLiteral("12"));
                    QTest::keyClick(box, Qt::Key_Home);
                    press(Qt::Key_Delete, u'\x7f');
                    QCOMPARE(box->text(), QStringLiteral("2"));
                }
                if (name != order.last())
                    press(Qt::Key_Tab, u'\t');
            }
            for (qsizetype i = order.size() - 2; i >= 0; --i) {
                press(Qt::Key_Backtab, u'\t', Qt::ShiftModifier);
                QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
            }
            press(Qt::Key_Return, u'\r');
            QVERIFY(!form.isVisible());
        });
        QCOMPARE(RelaySettings().LocalPort, QStringLiteral("2")); // OK applied
        QVERIFY(app.listeningShown(false, port));
    }

    void settingsButtonsWriteReloadAndStop_data()
    {
        QTest::addColumn<Press>("p");
        const QByteArray onDuty = "[Operator]\r\nOperatorCount=1\r\nOperator1=Checked|Anna|Arm|AB\r\n";
        const QStringList typed{"ARCHIVE", "10.0.0.5", "104", "RELAY", "1234"};
        const QByteArray written = onDuty + "[Local]\r\nLocalPort=1234\r\nLocalAET=RELAY\r\nDebugmode=0\r\n"
                                            "[Archive]\r\nAET=ARCHIVE\r\nIP=10.0.0.5\r\nPort=104\r\n";
        QTest::newRow("Übernehmen") << Press{{}, typed, "cmdApply", false, {}, written};
        QTest::newRow("OK") << Press{{}, typed, "cmdOK", false, {}, written};
        QTest::newRow("Abbrechen") << Press{{}, typed, "cmdClose", false, {}, {}};
        QTest::newRow("OK, file read-only: reported") << Press{{}, typed, "cmdOK", true, {}, {}};
        // IP: digits and full stops; ports: digits, at most four typed; AE titles unfiltered.
        QTest::newRow("OK: what the typing filter lets in")
            << Press{{}, {"Ärchiv-1.x", "1a-2:3 .4", "1.0-456", "a.b", "99999"}, "cmdOK", false, {},
                     onDuty + "[Local]\r\nLocalPort=9999\r\nLocalAET=a.b\r\nDebugmode=0\r\n"
                              "[Archive]\r\nAET=\xC4rchiv-1.x\r\nIP=123.4\r\nPort=1045\r\n"};
        // Values replaced in place, the file's own lines and endings kept,
        // missing keys appended; a longer port than typing allows shows whole.
        QTest::newRow("OK untouched: values as the file has them")
            << Press{"[Local]\nLocalAET = RELAY \n[Archive]\nAET=\"ARCH\"\nPort=123456\n", {}, "cmdOK", false,
                     {"ARCH", "", "123456", "RELAY", ""},
                     "[Local]\nLocalAET = RELAY\nLocalPort=\r\nDebugmode=0\r\n[Archive]\nAET=ARCH\nPort=123456\nIP=\r\n"};
        // Debugmode: one the box cannot show, ticked, greyed.
        for (const QByteArray mode : {"abc", "1", "2"})
            QTest::newRow(("OK untouched: Debugmode " + mode).constData())
                << Press{"[Local]\r\nDebugmode=" + mode + "\r\n", {}, "cmdOK", false, {"", "", "", "", ""},
                         "[Local]\r\nDebugmode=" + mode + "\r\nLocalAET=\r\nLocalPort=\r\n[Archive]\r\nAET=\r\nIP=\r\nPort=\r\n"};
    }
    void settingsButtonsWriteReloadAndStop()
    {
        QFETCH(Press, p);
        const quint16 port = quorin::test::freeLoopbackPort();
        RelayApp app(Ini(port, {"Checked|Anna|Arm|AB"}));
        app.load();
        if (!p.file.isEmpty())
            app.writeSettings(p.file); // changed since the load: the dialog shows the file
        const QByteArray before = app.settingsFile();
        if (p.readOnly)
            QVERIFY(QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner));
        OpenSettings(app, [&](FrmSettings& form) {
            const QList<QLineEdit*> boxes{form.txtAET, form.txtIP, form.txtPort, form.txtLocAET, form.txtLocPort};
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(boxes[i]->text(), p.shown.isEmpty() ? (i == 4 ? QString::number(port) : "") : p.shown[i]);
                if (!p.typed.isEmpty())
                    TypeOver(boxes[i], p.typed[i]); // a port's selected digits typed over at the limit
            }
            QCOMPARE(form.cmdApply->isEnabled(), !p.typed.isEmpty()); // every edit enables Übernehmen
            QVERIFY(!form.chkDebug->isVisible());
            QTest::mouseClick(form.findChild<QPushButton*>(p.button), Qt::LeftButton);
            QCOMPARE(form.isVisible(), p.button == "cmdApply");
            QVERIFY(!form.cmdApply->isEnabled() || p.button == "cmdClose");
        });
        const QByteArray after = p.written.isEmpty() ? before : p.written;
        QCOMPARE(app.settingsFile(), after);
        // Reloaded: an emptied LocalPort is read back empty, not as 109.
        QCOMPARE(RelaySettings().LocalPort, Value(after, "LocalPort"));
        QCOMPARE(RelaySettings().ArchiveAET, Value(after, "AET"));
        QVERIFY(app.listeningShown(p.button == "cmdClose", port)); // stopped on the port it listened on
        QCOMPARE(app.boxes.shown, p.readOnly ? QStringList{Box("Quorin Relay: Fehler", "Die Einstellungen konnten nicht "
                                                               "gespeichert werden.", MessageIcon::Error)}
                                             : QStringList{});
    }
};

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
