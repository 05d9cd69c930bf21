// The main window from outside: the load step and its automatic start, the
// start/stop button against a real listener, the ticks of the operator list,
// delete, and the close sequence that saves the list.

#include "AppTest.h"

namespace {

const QString NoConnection = Box("Quorin Relay: Keine Verbindung", "Es konnte keine Verbindung hergestellt werden.",
                                  MessageIcon::Error);
const QString NoOperator = Box("Quorin Relay: Kein Operator ausgewählt.", "Sie müssen einen Operator auswählen.",
                               MessageIcon::Information);
const QString NobodyOnDuty = QStringLiteral("Kein Operator ausgewählt");

// Settings.ini's operator section: one row per marker, named after the table.
QByteArray Operators(const QStringList& markers)
{
    static const char* const rows[] = {"|Anna|Arm|AA", "|||nn", "|Cleo|Cole|CC", "|Dora|Dux|DD"};
    QByteArray section = "[Operator]\r\nOperatorCount=" + QByteArray::number(markers.size()) + "\r\n";
    for (int i = 0; i < markers.size(); ++i)
        section += "Operator" + QByteArray::number(i + 1) + "=" + markers[i].toUtf8() + rows[i] + "\r\n";
    return section;
}

QByteArray LocalPort(quint16 port)
{
    return "[Local]\r\nLocalPort=" + QByteArray::number(port) + "\r\n";
}

struct Load { QByteArray localPort; QString marker; QStringList messages; };
struct Tick { QStringList markers; QString action, ticked, onDuty, label; QStringList saved; };
struct Delete { QStringList markers; int selected; bool yes; QString left; bool relaying; QString label; };

} // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY2(!AnyWindowOpen(), "a window was left open"); }

    void loadStartsRelayingWithSettingsFile_data()
    {
        // localPort "free", "taken": such a port; "none": no Settings.ini.
        QTest::addColumn<Load>("l");
        QTest::newRow("no Settings.ini: nothing starts") << Load{"none", "Checked", {}};
        QTest::newRow("ticked, free port") << Load{"free", "Checked", {}};
        QTest::newRow("nobody ticked") << Load{"free", "", {NoOperator}};
        QTest::newRow("port taken") << Load{"taken", "Checked", {NoConnection}};
        // Without a ticked operator the stop request still needs the port.
        QTest::newRow("empty, nobody ticked") << Load{"", "", {NoOperator, NoConnection}};
        QTest::newRow("empty") << Load{"", "Checked", {NoConnection}};
        QTest::newRow("letters") << Load{"abc", "Checked", {NoConnection}};
        QTest::newRow("beyond 32 bits") << Load{"4294967400", "Checked", {NoConnection}};
        QTest::newRow("beyond the port range") << Load{"70000", "Checked", {NoConnection}};
    }
    void loadStartsRelayingWithSettingsFile()
    {
        QFETCH(Load, l);
        QByteArray localPort = l.localPort;
        QTcpServer taker; // holds the port in the row "taken"
        const quint16 port = quorin::test::freeLoopbackPort();
        if (localPort == "taken")
            QVERIFY(taker.listen(QHostAddress::Any, port));
        const bool file = localPort != "none";
        if (localPort == "free" || localPort == "taken")
            localPort = QByteArray::number(port);
        RelayApp app(file ? "[Local]\r\nLocalPort=" + localPort + "\r\n" + Operators({"", l.marker}) : QByteArray());
        bool windowShownWithMessage = false;
        app.boxes.onShow = [&] { windowShownWithMessage |= app.form.isVisible(); };
        app.load();

        QCOMPARE(app.form.windowTitle(), QStringLiteral("Quorin Relay: Version 1.0.0"));
        QCOMPARE(app.boxes.shown, l.messages);
        QVERIFY(!windowShownWithMessage); // the load step's boxes come before the window
        QVERIFY(app.listeningShown(file && l.messages.isEmpty()));
        if (localPort.toUShort() == port && !taker.isListening())
            QCOMPARE(AcceptsConnections(port), l.messages.isEmpty());
        app.form.close();
        QCOMPARE(QFile::exists(SettingsFilePath()), file); // an empty list creates no file
    }

    void startStopOpensAndClosesTheListener()
    {
        const quint16 port = quorin::test::freeLoopbackPort();
        RelayApp app(LocalPort(port) + Operators({"Checked"}));
        app.load();
        QVERIFY(app.listeningShown(true));

        QTest::mouseClick(app.form.cmdStartStop, Qt::LeftButton);
        QVERIFY(app.listeningShown(false));
        QVERIFY(!AcceptsConnections(port));

        QTest::keyClick(app.form.lstOperator, Qt::Key_Return); // Enter presses the default button
        QVERIFY(app.listeningShown(true));
        QVERIFY(AcceptsConnections(port));
        QVERIFY(app.boxes.shown.isEmpty());
    }

    void ticksKeepOneOperatorOnDuty_data()
    {
        // action: "box <row>", "space <row>", "row <row>"; ticked: x per ticked row.
        QTest::addColumn<Tick>("t");
        const QStringList none{"", "", ""}, twoMarked{"Checked", "", "Checked"}, second{"", "Checked", ""};
        const QStringList others{"checked", "CHECKED", "Checked "};
        QTest::newRow("load: none marked") << Tick{none, "", "---", "", NobodyOnDuty, none};
        QTest::newRow("load: the last marked is on duty") << Tick{twoMarked, "", "x-x", "CC", "Cleo Cole", twoMarked};
        QTest::newRow("load: other spellings no marker, kept") << Tick{others, "", "---", "", NobodyOnDuty, others};
        // Empty names: the label is the joining blank alone.
        QTest::newRow("mouse tick: the only one") << Tick{twoMarked, "box 1", "-x-", "nn", " ", second};
        QTest::newRow("Space tick: the only one") << Tick{twoMarked, "space 1", "-x-", "nn", " ", second};
        QTest::newRow("unticking the one on duty: ticked again")
            << Tick{{"Checked", "", ""}, "box 0", "x--", "AA", "Anna Arm", {"Checked", "", ""}};
        QTest::newRow("click on a row: no tick") << Tick{none, "row 0", "---", "", NobodyOnDuty, none};
    }
    void ticksKeepOneOperatorOnDuty()
    {
        QFETCH(Tick, t);
        RelayApp app(Operators(t.markers));
        app.load();
        const int row = t.action.section(' ', 1).toInt();
        app.form.cmdEdit->setEnabled(false);
        app.form.cmdDel->setEnabled(false);
        if (t.action.startsWith("space")) {
            app.form.lstOperator->setCurrentItem(app.row(row));
            QTest::keyClick(app.form.lstOperator, Qt::Key_Space);
        } else if (!t.action.isEmpty()) {
            app.clickRow(row, t.action.startsWith("box"));
            QVERIFY(app.form.cmdEdit->isEnabled() && app.form.cmdDel->isEnabled()); // a click enables both
        }
        QString ticked;
        for (int i = 0; i < t.markers.size(); ++i)
            ticked += IsRowTicked(app.row(i)) ? 'x' : '-';
        QCOMPARE(ticked, t.ticked);
        QVERIFY(t.action.isEmpty() || app.row(row)->isSelected());
        QCOMPARE(app.window.station().operatorShortCode(), t.onDuty);
        QCOMPARE(app.form.lblOperator->text(), t.label);
        app.form.close(); // the list goes to Settings.ini as it is
        QCOMPARE(app.settingsFile(), Operators(t.saved));
    }

    void deleteAsksAndKeepsTheRest_data()
    {
        // selected -1: nothing; left: the short codes, * the selected row.
        QTest::addColumn<Delete>("d");
        const QStringList thirdOnDuty{"", "", "Checked", ""};
        QTest::newRow("No keeps it") << Delete{thirdOnDuty, 1, false, "AA *nn CC DD", true, "Cleo Cole"};
        QTest::newRow("the last row is selected after") << Delete{thirdOnDuty, 1, true, "AA CC *DD", true, "Cleo Cole"};
        QTest::newRow("the one on duty: relaying stops") << Delete{{"Checked", ""}, 0, true, "*nn", false, NobodyOnDuty};
        QTest::newRow("the only row: Edit and Delete off") << Delete{{""}, 0, true, "", false, NobodyOnDuty};
        QTest::newRow("nothing selected: nothing asked, no dialog")
            << Delete{{"", ""}, -1, true, "AA nn", false, NobodyOnDuty};
    }
    void deleteAsksAndKeepsTheRest()
    {
        QFETCH(Delete, d);
        const quint16 port = quorin::test::freeLoopbackPort();
        RelayApp app(LocalPort(port) + Operators(d.markers));
        app.load();
        app.boxes.shown.clear();
        if (d.selected >= 0)
            app.clickRow(d.selected);
        app.boxes.answers.enqueue(d.yes ? MessageAnswer::Yes : MessageAnswer::No);
        QTest::mouseClick(app.form.cmdDel, Qt::LeftButton);

        QCOMPARE(app.boxes.shown, d.selected < 0 ? QStringList{} : QStringList{Box("Quorin Relay: Wirklich löchen?",
                     "Wollen Sie den Operator wirklich löschen?", MessageIcon::Question, MessageButtons::YesNo)});
        bool editOpened = false;
        WhenModal<QDialog>(&app.form, [&](QDialog&) { editOpened = true; });
        if (d.selected < 0)
            QTest::mouseClick(app.form.cmdEdit, Qt::LeftButton);
        QVERIFY(!editOpened);
        QStringList rows;
        for (int i = 0; i < OperatorRowCount(app.form.lstOperator); ++i)
            rows << (app.row(i)->isSelected() ? "*" : "") + app.row(i)->text(ShortCodeColumn);
        QCOMPARE(rows.join(' '), d.left);
        QCOMPARE(app.form.cmdEdit->isEnabled(), !d.left.isEmpty());
        QCOMPARE(app.form.cmdDel->isEnabled(), !d.left.isEmpty());
        QVERIFY(app.listeningShown(d.relaying));
        QCOMPARE(AcceptsConnections(port), d.relaying);
        QCOMPARE(app.form.lblOperator->text(), d.label);
        app.form.close();
        QVERIFY(app.settingsFile().contains("OperatorCount=" + QByteArray::number(rows.size())));
    }

    void deleteBeforeAnyStartCompletes()
    {
        RelayApp app; // no Settings.ini: no listener, no LocalPort
        app.load();
        LoadOperatorRows(app.form.lstOperator, app.window.station(), {{"Checked", "Anna", "Arm", "AA"}});
        QTest::mouseClick(app.form.cmdDel, Qt::LeftButton);
        QCOMPARE(OperatorRowCount(app.form.lstOperator), 0);
        QCOMPARE(app.form.lblOperator->text(), NobodyOnDuty);
    }

    void closingSavesTheList_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("Beenden button") << "button" << false;
        QTest::newRow("Datei, Beenden") << "menu" << false;
        QTest::newRow("title bar") << "title bar" << false;
        QTest::newRow("read-only file: reported") << "title bar" << true;
    }
    void closingSavesTheList()
    {
        QFETCH(QString, how);
        QFETCH(bool, readOnly);
        RelayApp app(Operators({"Checked", ""}));
        app.load();
        app.clickRow(1, true);
        if (readOnly)
            QVERIFY(QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner));
        if (how == "button")
            QTest::mouseClick(app.form.cmdClose, Qt::LeftButton);
        else if (how == "menu")
            app.choose(app.form.mnuClose);
        else
            app.form.close();

        QVERIFY(!app.form.isVisible());
        QCOMPARE(app.settingsFile(), Operators(readOnly ? QStringList{"Checked", ""} : QStringList{"", "Checked"}));
        QCOMPARE(app.boxes.shown, readOnly ? QStringList{Box("Quorin Relay: Fehler", "Die Operatorliste konnte nicht "
                                                             "gespeichert werden.", MessageIcon::Error)}
                                           : QStringList{});
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
