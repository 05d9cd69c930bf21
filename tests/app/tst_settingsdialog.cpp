// "Einstellungen", opened from the main window's menu: the typing filter and
// the keys that pass it; what it shows (the file), and what Übernehmen, OK
// and Abbrechen write, reload and stop.

#include "AppTest.h"
#include "ui/FrmSettings.h"

namespace {

const QByteArray OnDuty = "[Operator]\r\nOperatorCount=1\r\nOperator1=Checked|Anna|Arm|AA\r\n";

QByteArray Relaying(quint16 port)
{
    return OnDuty + "[Local]\r\nLocalPort=" + QByteArray::number(port) + "\r\n";
}

template <class Steps>
void OpenSettings(RelayApp& app, Steps steps)
{
    WhenModal<FrmSettings>(&app.form, steps);
    app.choose(app.form.mnuSettings);
}

struct Press { QByteArray file; bool edit; QString button; bool readOnly; QStringList shown; QByteArray written; };

// Ctrl+A (its text a control character, as X11 delivers it), Backspace, text.
void Retype(QLineEdit* box, const QString& text)
{
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    TypeText(box, text);
}

} // namespace

class tst_SettingsDialog : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY2(!AnyWindowOpen(), "a window was left open"); }

    void typingFilterAndKeys_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("IP keeps digits and full stops") << "txtIP" << "127.0.0.1" << "127.0.0.1";
        QTest::newRow("IP drops letters, minus, colon") << "txtIP" << "1a-2:3 " << "123";
        QTest::newRow("port drops the full stop") << "txtPort" << "1.0-4" << "104";
        QTest::newRow("port refuses a fifth digit") << "txtPort" << "123456" << "1234";
        QTest::newRow("local port refuses a fifth digit") << "txtLocPort" << "99999" << "9999";
        QTest::newRow("AE title unfiltered") << "txtAET" << "Ärchiv-1.x" << "Ärchiv-1.x";
        QTest::newRow("local AE title unfiltered") << "txtLocAET" << "a.b" << "a.b";
    }
    // Then Delete, Tab, Shift+Tab and Enter from that box; as X11 delivers
    // them, they carry a control character as their text.
    void typingFilterAndKeys()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        const auto press = [](Qt::Key key, char16_t text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), key, QString(QChar(text)), modifiers);
        };
        const QStringList tabOrder{"txtAET", "txtIP", "txtPort", "txtLocAET", "txtLocPort",
                                   "cmdOK",  "cmdApply", "cmdClose"};
        RelayApp app(Relaying(quorin::test::freeLoopbackPort()));
        app.load();
        OpenSettings(app, [&](FrmSettings& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Einstellungen"));
            QVERIFY(!form.cmdApply->isEnabled());
            auto* edit = form.findChild<QLineEdit*>(box);
            edit->setFocus();
            Retype(edit, typed);
            QCOMPARE(edit->text(), expected);
            QVERIFY(form.cmdApply->isEnabled()); // every edit enables Übernehmen, and it joins the tab order
            if (expected.size() == 4) { // a selected digit is typed over at the limit
                Retype(edit, QStringLiteral("7"));
                QCOMPARE(edit->text(), QStringLiteral("7"));
            }
            const QString before = edit->text();
            QTest::keyClick(edit, Qt::Key_Home);
            press(Qt::Key_Delete, u'\x7f');
            QCOMPARE(edit->text(), before.mid(1));
            for (qsizetype i = tabOrder.indexOf(box) + 1; i < tabOrder.size(); ++i) {
                press(Qt::Key_Tab, u'\t');
                QCOMPARE(QApplication::focusWidget()->objectName(), tabOrder[i]);
            }
            for (qsizetype i = tabOrder.size() - 2; i >= tabOrder.indexOf(box); --i) {
                press(Qt::Key_Backtab, u'\t', Qt::ShiftModifier);
                QCOMPARE(QApplication::focusWidget()->objectName(), tabOrder[i]);
            }
            press(Qt::Key_Return, u'\r');
            QVERIFY(!form.isVisible());
        });
        QVERIFY(app.listeningShown(false)); // OK applied
    }

    void buttonsWriteReloadAndStop_data()
    {
        // file: Settings.ini when the dialog opens, none: as loaded (relaying,
        // LocalPort only); edit: all five boxes retyped; shown: the boxes as
        // opened; written: the file after, none: unchanged.
        QTest::addColumn<Press>("p");
        const QByteArray typed = OnDuty + "[Local]\r\nLocalPort=1234\r\nLocalAET=RELAY\r\nDebugmode=0\r\n"
                                          "[Archive]\r\nAET=ARCHIVE\r\nIP=10.0.0.5\r\nPort=104\r\n";
        QTest::newRow("Übernehmen") << Press{{}, true, "cmdApply", false, {}, typed};
        QTest::newRow("OK") << Press{{}, true, "cmdOK", false, {}, typed};
        QTest::newRow("Abbrechen") << Press{{}, true, "cmdClose", false, {}, {}};
        QTest::newRow("OK, file read-only: reported") << Press{{}, true, "cmdOK", true, {}, {}};
        // Values replaced in place, the file's own lines and endings kept,
        // missing keys appended; a longer port than typing allows shows whole.
        QTest::newRow("OK untouched: values as the file has them")
            << Press{"[Local]\nLocalAET = RELAY \n[Archive]\nAET=\"ARCH\"\nPort=123456\n", false, "cmdOK", false,
                     {"ARCH", "", "123456", "RELAY", ""},
                     "[Local]\nLocalAET = RELAY\nLocalPort=\r\nDebugmode=0\r\n[Archive]\nAET=ARCH\nPort=123456\nIP=\r\n"};
        QTest::newRow("OK untouched: Debugmode the box cannot show")
            << Press{"[Local]\r\nDebugmode=abc\r\n", false, "cmdOK", false, {"", "", "", "", ""},
                     "[Local]\r\nDebugmode=abc\r\nLocalAET=\r\nLocalPort=\r\n[Archive]\r\nAET=\r\nIP=\r\nPort=\r\n"};
        QTest::newRow("OK untouched: Debugmode ticked")
            << Press{"[Local]\r\nDebugmode=1\r\n", false, "cmdOK", false, {"", "", "", "", ""},
                     "[Local]\r\nDebugmode=1\r\nLocalAET=\r\nLocalPort=\r\n[Archive]\r\nAET=\r\nIP=\r\nPort=\r\n"};
        QTest::newRow("OK untouched: Debugmode greyed")
            << Press{"[Local]\r\nDebugmode=2\r\n", false, "cmdOK", false, {"", "", "", "", ""},
                     "[Local]\r\nDebugmode=2\r\nLocalAET=\r\nLocalPort=\r\n[Archive]\r\nAET=\r\nIP=\r\nPort=\r\n"};
    }
    void buttonsWriteReloadAndStop()
    {
        QFETCH(Press, p);
        const quint16 port = quorin::test::freeLoopbackPort();
        RelayApp app(Relaying(port));
        app.load();
        if (!p.file.isEmpty())
            app.writeSettings(p.file); // changed since the load: the dialog shows the file
        const QByteArray before = app.settingsFile();
        if (p.readOnly)
            QVERIFY(QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner));
        OpenSettings(app, [&](FrmSettings& form) {
            const QList<QLineEdit*> boxes{form.txtAET, form.txtIP, form.txtPort, form.txtLocAET, form.txtLocPort};
            const QStringList values{"ARCHIVE", "10.0.0.5", "104", "RELAY", "1234"};
            for (int i = 0; i < 5; ++i) {
                QCOMPARE(boxes[i]->text(), p.shown.isEmpty() ? (i == 4 ? QString::number(port) : "") : p.shown[i]);
                if (p.edit)
                    Retype(boxes[i], values[i]);
            }
            QVERIFY(!form.chkDebug->isVisible());
            QTest::mouseClick(form.findChild<QPushButton*>(p.button), Qt::LeftButton);
            QCOMPARE(form.isVisible(), p.button == "cmdApply");
            QVERIFY(!form.cmdApply->isEnabled() || p.button == "cmdClose");
        });
        QCOMPARE(app.settingsFile(), p.written.isEmpty() ? before : p.written);
        // Reloaded: an emptied LocalPort is read back empty, not as 109.
        QCOMPARE(RelaySettings().LocalPort, p.written.isEmpty() ? QString::number(port) : p.edit ? "1234" : "");
        QCOMPARE(RelaySettings().ArchiveAET, p.written.isEmpty() ? "" : p.edit ? "ARCHIVE" : p.shown[0]);
        QVERIFY(app.listeningShown(p.button == "cmdClose"));
        QCOMPARE(AcceptsConnections(port), p.button == "cmdClose"); // stopped on the port it listened on
        QCOMPARE(app.boxes.shown, p.readOnly ? QStringList{Box("Quorin Relay: Fehler", "Die Einstellungen konnten nicht "
                                                               "gespeichert werden.", MessageIcon::Error)}
                                             : QStringList{});
    }
};

QTEST_MAIN(tst_SettingsDialog)
#include "tst_settingsdialog.moc"
