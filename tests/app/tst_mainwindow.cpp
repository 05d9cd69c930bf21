// The main window from outside: the load step and its automatic start, the
// start/stop button against a real listener, the ticks of the operator list,
// delete, and the close sequence that saves the list.

#include "AppTest.h"

namespace {

const QString NoConnection = QStringLiteral("Es konnte keine Verbindung hergestellt werden.");
const QString NoOperator = QStringLiteral("Sie müssen einen Operator auswählen.");
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

} // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY2(!AnyWindowOpen(), "a window was left open"); }

    void withoutSettingsFileNothingStartsAndNothingIsWritten()
    {
        RelayApp app;
        app.load();
        QCOMPARE(app.form.windowTitle(), QStringLiteral("Quorin Relay: Version 1.0.0"));
        QVERIFY(app.listeningShown(false));
        QCOMPARE(OperatorRowCount(app.form.lstOperator), 0);
        QCOMPARE(app.form.lblOperator->text(), NobodyOnDuty);
        app.form.close();
        QVERIFY(app.boxes.shown.isEmpty());
        QVERIFY(!QFile::exists(SettingsFilePath()));
    }

    void loadStartsRelayingWithSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("localPort"); // "free" and "taken" stand for such a port
        QTest::addColumn<QString>("marker");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("ticked, free port") << QByteArray("free") << "Checked" << QStringList{};
        QTest::newRow("nobody ticked") << QByteArray("free") << "" << QStringList{NoOperator};
        QTest::newRow("port taken") << QByteArray("taken") << "Checked" << QStringList{NoConnection};
        // Without a ticked operator the stop request still needs the port.
        QTest::newRow("empty, nobody ticked") << QByteArray() << "" << QStringList{NoOperator, NoConnection};
        QTest::newRow("empty") << QByteArray() << "Checked" << QStringList{NoConnection};
        QTest::newRow("letters") << QByteArray("abc") << "Checked" << QStringList{NoConnection};
        QTest::newRow("beyond 32 bits") << QByteArray("4294967400") << "Checked" << QStringList{NoConnection};
        QTest::newRow("beyond the port range") << QByteArray("70000") << "Checked" << QStringList{NoConnection};
    }
    void loadStartsRelayingWithSettingsFile()
    {
        QFETCH(QByteArray, localPort);
        QFETCH(QString, marker);
        QFETCH(QStringList, messages);
        QTcpServer taker; // holds the port in the row "taken"
        const quint16 port = quorin::test::freeLoopbackPort();
        if (localPort == "taken")
            QVERIFY(taker.listen(QHostAddress::Any, port));
        if (localPort == "free" || localPort == "taken")
            localPort = QByteArray::number(port);
        RelayApp app("[Local]\r\nLocalPort=" + localPort + "\r\n" + Operators({"", marker}));
        bool windowShownWithMessage = false;
        app.boxes.onShow = [&] { windowShownWithMessage |= app.form.isVisible(); };
        app.load();

        QCOMPARE(app.boxes.texts(), messages);
        for (const RecordedMessage& m : app.boxes.shown) {
            const bool noOperator = m.text == NoOperator;
            QCOMPARE(m.title, noOperator ? "Quorin Relay: Kein Operator ausgewählt." : "Quorin Relay: Keine Verbindung");
            QCOMPARE(m.icon, noOperator ? MessageIcon::Information : MessageIcon::Error);
        }
        QVERIFY(!windowShownWithMessage); // the load step's boxes come before the window
        QVERIFY(app.listeningShown(messages.isEmpty()));
        if (localPort.toUShort() == port && !taker.isListening())
            QCOMPARE(AcceptsConnections(port), messages.isEmpty());
        app.form.close();
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

        app.form.lstOperator->setFocus();
        QTest::keyClick(app.form.lstOperator, Qt::Key_Return); // Enter presses the default button
        QVERIFY(app.listeningShown(true));
        QVERIFY(AcceptsConnections(port));
        QVERIFY(app.boxes.shown.isEmpty());
        app.form.close();
    }

    void ticksKeepOneOperatorOnDuty_data()
    {
        QTest::addColumn<QStringList>("markers");
        QTest::addColumn<QString>("action"); // "box <row>", "space <row>", "row <row>"
        QTest::addColumn<QString>("ticked"); // x per ticked row
        QTest::addColumn<QString>("onDuty");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("saved");
        const QStringList none{"", "", ""};
        const QStringList twoMarked{"Checked", "", "Checked"};
        QTest::newRow("load: none marked") << none << "" << "---" << "" << NobodyOnDuty << none;
        QTest::newRow("load: the last marked is on duty") << twoMarked << "" << "x-x" << "CC" << "Cleo Cole" << twoMarked;
        QTest::newRow("load: other spellings are no marker, kept")
            << QStringList{"checked", "CHECKED", "Checked "} << "" << "---" << "" << NobodyOnDuty
            << QStringList{"checked", "CHECKED", "Checked "};
        // Empty names: the label is the joining blank alone.
        const QStringList second{"", "Checked", ""};
        QTest::newRow("mouse tick: the only one") << twoMarked << "box 1" << "-x-" << "nn" << " " << second;
        QTest::newRow("Space tick: the only one") << twoMarked << "space 1" << "-x-" << "nn" << " " << second;
        QTest::newRow("unticking the one on duty: ticked again")
            << QStringList{"Checked", "", ""} << "box 0" << "x--" << "AA" << "Anna Arm" << QStringList{"Checked", "", ""};
        QTest::newRow("click on a row: no tick") << none << "row 0" << "---" << "" << NobodyOnDuty << none;
    }
    void ticksKeepOneOperatorOnDuty()
    {
        QFETCH(QStringList, markers);
        QFETCH(QString, action);
        QFETCH(QString, ticked);
        QFETCH(QString, onDuty);
        QFETCH(QString, label);
        QFETCH(QStringList, saved);
        RelayApp app(Operators(markers));
        app.load();
        const int row = action.section(' ', 1).toInt();
        app.form.cmdEdit->setEnabled(false);
        app.form.cmdDel->setEnabled(false);
        if (action.startsWith("space")) {
            app.form.lstOperator->setCurrentItem(app.row(row));
            QTest::keyClick(app.form.lstOperator, Qt::Key_Space);
        } else if (!action.isEmpty()) {
            app.clickRow(row, action.startsWith("box"));
            QVERIFY(app.form.cmdEdit->isEnabled() && app.form.cmdDel->isEnabled()); // a click enables both
        }
        QString shown;
        for (int i = 0; i < markers.size(); ++i)
            shown += IsRowTicked(app.row(i)) ? 'x' : '-';
        QCOMPARE(shown, ticked);
        if (!action.isEmpty())
            QVERIFY(app.row(row)->isSelected());
        QCOMPARE(app.window.station().operatorShortCode(), onDuty);
        QCOMPARE(app.form.lblOperator->text(), label);
        app.form.close(); // the list goes to Settings.ini as it is
        QCOMPARE(app.settingsFile(), Operators(saved));
    }

    void deleteAsksAndKeepsTheRest_data()
    {
        QTest::addColumn<QStringList>("markers");
        QTest::addColumn<int>("selected"); // -1: nothing selected
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("left"); // short codes; * the selected row
        QTest::addColumn<bool>("relaying");
        QTest::addColumn<QString>("label");
        const QStringList thirdOnDuty{"", "", "Checked", ""};
        QTest::newRow("No keeps it") << thirdOnDuty << 1 << false << "AA *nn CC DD" << true << "Cleo Cole";
        QTest::newRow("the last row is selected after") << thirdOnDuty << 1 << true << "AA CC *DD" << true << "Cleo Cole";
        QTest::newRow("the one on duty: relaying stops")
            << QStringList{"Checked", ""} << 0 << true << "*nn" << false << NobodyOnDuty;
        QTest::newRow("the only row: Edit and Delete off") << QStringList{""} << 0 << true << "" << false << NobodyOnDuty;
        QTest::newRow("nothing selected: no question")
            << QStringList{"", ""} << -1 << true << "AA nn" << false << NobodyOnDuty;
    }
    void deleteAsksAndKeepsTheRest()
    {
        QFETCH(QStringList, markers);
        QFETCH(int, selected);
        QFETCH(bool, yes);
        QFETCH(QString, left);
        QFETCH(bool, relaying);
        QFETCH(QString, label);
        const quint16 port = quorin::test::freeLoopbackPort();
        RelayApp app(LocalPort(port) + Operators(markers));
        app.load();
        app.boxes.shown.clear();
        if (selected >= 0)
            app.clickRow(selected);
        app.boxes.answers.enqueue(yes ? MessageAnswer::Yes : MessageAnswer::No);
        QTest::mouseClick(app.form.cmdDel, Qt::LeftButton);

        QCOMPARE(app.boxes.shown.size(), selected >= 0 ? 1 : 0);
        if (selected >= 0) {
            const RecordedMessage& asked = app.boxes.shown.last();
            QCOMPARE(asked.title, QStringLiteral("Quorin Relay: Wirklich löchen?"));
            QCOMPARE(asked.text, QStringLiteral("Wollen Sie den Operator wirklich löschen?"));
            QCOMPARE(asked.icon, MessageIcon::Question);
            QCOMPARE(asked.buttons, MessageButtons::YesNo);
        }
        QStringList rows;
        for (int i = 0; i < OperatorRowCount(app.form.lstOperator); ++i)
            rows << (app.row(i)->isSelected() ? "*" : "") + app.row(i)->text(ShortCodeColumn);
        QCOMPARE(rows.join(' '), left);
        QCOMPARE(app.form.cmdEdit->isEnabled(), !left.isEmpty());
        QCOMPARE(app.form.cmdDel->isEnabled(), !left.isEmpty());
        QVERIFY(app.listeningShown(relaying));
        QCOMPARE(AcceptsConnections(port), relaying);
        QCOMPARE(app.form.lblOperator->text(), label);
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
        app.form.close();
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
            app.chooseMenu("Datei", "Beenden");
        else
            app.form.close();

        QTRY_VERIFY(!app.form.isVisible());
        QCOMPARE(app.settingsFile(), Operators(readOnly ? QStringList{"Checked", ""} : QStringList{"", "Checked"}));
        QCOMPARE(app.boxes.texts(), readOnly ? QStringList{"Die Operatorliste konnte nicht gespeichert werden."}
                                             : QStringList{});
        if (readOnly) {
            QCOMPARE(app.boxes.shown.first().title, QStringLiteral("Quorin Relay: Fehler"));
            QCOMPARE(app.boxes.shown.first().icon, MessageIcon::Error);
        }
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
