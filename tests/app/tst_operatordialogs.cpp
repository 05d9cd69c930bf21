// "Neu anlegen" and "Operator ändern", opened with the main window's buttons
// and filled in key by key: the checks and their messages, the focus after a
// real message box, what the boxes refuse, and what edit writes back.

#include "AppTest.h"
#include "operators/OperatorSelection.h"
#include "ui/FrmEdit.h"
#include "ui/FrmNew.h"

#include <QClipboard>

namespace {

const QString FillAll = QStringLiteral("Bitte füllen Sie alle Felder aus.");
const QString Taken = QStringLiteral("Dieser Kürzel ist bereits vergeben.");

// A Settings.ini with the relay listening on a free port and these rows.
QByteArray Ini(const QByteArrayList& rows, int count = -1)
{
    QByteArray ini = "[Local]\r\nLocalPort=" + QByteArray::number(quorin::test::freeLoopbackPort())
                     + "\r\n[Operator]\r\nOperatorCount=" + QByteArray::number(count < 0 ? rows.size() : count) + "\r\n";
    for (int i = 0; i < rows.size(); ++i)
        ini += "Operator" + QByteArray::number(i + 1) + "=" + rows[i] + "\r\n";
    return ini;
}

} // namespace

class tst_OperatorDialogs : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY2(!AnyWindowOpen(), "a window was left open"); }

    void newChecksTheBoxes_data()
    {
        QTest::addColumn<QStringList>("typed"); // first name, surname, short code
        QTest::addColumn<int>("rows");          // 32766 fill the list
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        const QString error = QStringLiteral("Quorin Relay: Fehler");
        QTest::newRow("first name empty") << QStringList{"", "Muster", "MM"} << 2 << FillAll << error;
        QTest::newRow("surname empty") << QStringList{"Max", "", "MM"} << 2 << FillAll << error;
        QTest::newRow("short code empty") << QStringList{"Max", "Muster", ""} << 2 << FillAll << error;
        QTest::newRow("short code taken") << QStringList{"Max", "Muster", "AB"} << 2 << Taken
                                          << "Quorin Relay: Bereits vorhanden";
        QTest::newRow("list full") << QStringList{"Max", "Muster", "MM"} << 32766 << "Die Operatorliste ist voll."
                                   << error;
        QTest::newRow("blanks count as filled") << QStringList{" ", " ", "NEW"} << 2 << "" << "";
        QTest::newRow("other case is free") << QStringList{"Max", "Muster", "LO"} << 2 << "" << "";
        QTest::newRow("trailing blank is free") << QStringList{"Max", "Muster", "AB "} << 2 << "" << "";
        QTest::newRow("same names, other code") << QStringList{"Anna", "Arm", "AA2"} << 2 << "" << "";
    }
    void newChecksTheBoxes()
    {
        QFETCH(QStringList, typed);
        QFETCH(int, rows);
        QFETCH(QString, message);
        QFETCH(QString, title);
        RelayApp app(Ini({"Checked|Anna|Arm|AB", "|Lo|Wer|lo"}, rows));
        app.load();
        app.boxes.shown.clear();
        app.form.cmdEdit->setEnabled(false); // as after deleting the last row
        app.form.cmdDel->setEnabled(false);
        WhenModal<FrmNew>(&app.form, [&](FrmNew& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Neu anlegen"));
            TypeText(form.txtName, typed[0]);
            TypeText(form.txtSurename, typed[1]);
            TypeText(form.txtShort, typed[2]);
            QTest::mouseClick(form.cmdNew, Qt::LeftButton);
            QCOMPARE(form.isVisible(), !message.isEmpty());
            if (message == Taken)
                QCOMPARE(QApplication::focusWidget(), form.txtShort);
        });
        QTest::mouseClick(app.form.cmdNew, Qt::LeftButton);

        if (!message.isEmpty()) {
            QCOMPARE(app.boxes.texts(), QStringList{message});
            QCOMPARE(app.boxes.shown.first().title, title);
            QCOMPARE(app.boxes.shown.first().icon, MessageIcon::Information);
            QCOMPARE(OperatorRowCount(app.form.lstOperator), rows);
            app.form.close();
            return;
        }
        QVERIFY(app.boxes.shown.isEmpty());
        QCOMPARE(OperatorRowCount(app.form.lstOperator), 3);
        QCOMPARE(RowEntry(app.row(2)), (OperatorEntry{"", typed[0], typed[1], typed[2].toUpper()}));
        QVERIFY(!IsRowTicked(app.row(2)) && !app.row(2)->isSelected());
        QVERIFY(app.form.cmdEdit->isEnabled() && app.form.cmdDel->isEnabled());
        QCOMPARE(app.window.station().operatorShortCode(), QStringLiteral("AB")); // still on duty
        app.form.close();
    }

    void focusAfterTheRealMessageBox_data()
    {
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("shortCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus"); // where the correction is typed, after Backspace
        QTest::addColumn<QString>("correction");
        QTest::addColumn<QString>("storedCode");
        QTest::newRow("code taken: to the code") << "Jürgen" << "ab" << Taken << "txtShort" << "w" << "AW";
        QTest::newRow("field empty: stays") << "" << "ß" << FillAll << "txtName" << "Jürgen" << "ß";
    }
    // The real box opens and is closed with Enter; then the dialog is
    // activated again, as a desktop's window manager does.
    void focusAfterTheRealMessageBox()
    {
        QFETCH(QString, firstName);
        QFETCH(QString, shortCode);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, correction);
        QFETCH(QString, storedCode);
        RelayApp app(Ini({"Checked|Anna|Arm|AB"}), true);
        app.load();
        QString shown;
        WhenModal<FrmNew>(&app.form, [&](FrmNew& form) {
            const auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
                QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            };
            QCOMPARE(QApplication::focusWidget(), form.txtName);
            TypeText(form.txtName, firstName);
            key(Qt::Key_Tab);
            TypeText(form.txtSurename, QStringLiteral("Weiß"));
            key(Qt::Key_Tab);
            TypeText(form.txtShort, shortCode);
            key(Qt::Key_Tab, Qt::ShiftModifier);
            key(Qt::Key_Tab, Qt::ShiftModifier);
            WhenModal<QMessageBox>(&form, [&](QMessageBox& box) {
                shown = box.text();
                QTest::keyClick(&box, Qt::Key_Return);
            });
            key(Qt::Key_Return);
            QCOMPARE(shown, message);
            QVERIFY(Activate(&form));
            QCOMPARE(QApplication::focusWidget()->objectName(), focus);
            key(Qt::Key_Backspace);
            TypeText(QApplication::focusWidget(), correction);
            key(Qt::Key_Return);
            QVERIFY(!form.isVisible());
        });
        QTest::mouseClick(app.form.cmdNew, Qt::LeftButton);
        QCOMPARE(OperatorRowCount(app.form.lstOperator), 2);
        QCOMPARE(RowEntry(app.row(1)), (OperatorEntry{"", "Jürgen", "Weiß", storedCode}));
        app.form.close();
    }

    void boxesTakeWhatTheFileCanHold_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("short code upper-cased as typed") << "txtShort" << "ab" << "" << "AB";
        // No capital in the code page, or only "SS": kept, so the code keeps its length.
        QTest::newRow("µ and ß kept in short codes") << "txtShort" << "aµßb" << "" << "AµßB";
        QTest::newRow("separator typed") << "txtName" << "A|B" << "" << "AB";
        QTest::newRow("separator pasted") << "txtSurename" << "" << "x|y" << "";
        QTest::newRow("outside Windows-1252") << "txtName" << "AŁB" << "" << "AB";
        QTest::newRow("euro sign is fine") << "txtSurename" << "5€" << "" << "5€";
        QTest::newRow("short code limit") << "txtShort" << QString(20, 'q') << "" << QString(16, 'Q');
        QTest::newRow("name limit") << "txtName" << QString(120, 'n') << "" << QString(100, 'n');
    }
    void boxesTakeWhatTheFileCanHold()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, pasted);
        QFETCH(QString, expected);
        RelayApp app(Ini({"Checked|Anna|Arm|AB"}));
        app.load();
        QString shown;
        WhenModal<FrmNew>(&app.form, [&](FrmNew& form) {
            auto* edit = form.findChild<QLineEdit*>(box);
            TypeText(edit, typed);
            if (!pasted.isEmpty()) {
                QGuiApplication::clipboard()->setText(pasted);
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            }
            shown = edit->text();
        });
        QTest::mouseClick(app.form.cmdNew, Qt::LeftButton);
        QCOMPARE(shown, expected);
        app.form.close();
    }

    void editWritesBackAsTyped_data()
    {
        QTest::addColumn<bool>("abbrechen");
        QTest::addColumn<OperatorEntry>("stored");
        QTest::addColumn<QString>("label");
        QTest::newRow("Enter: as typed, on duty anew") << false << OperatorEntry{"Checked", "", "Bo", "aa"} << " Bo";
        QTest::newRow("Abbrechen: unchanged") << true << OperatorEntry{"Checked", "Bert", "Bo", "BB"} << "Bert Bo";
    }
    void editWritesBackAsTyped()
    {
        QFETCH(bool, abbrechen);
        QFETCH(OperatorEntry, stored);
        QFETCH(QString, label);
        RelayApp app(Ini({"|Anna|Arm|AA", "Checked|Bert|Bo|BB"})); // Bert selected as loaded
        app.load();
        WhenModal<FrmEdit>(&app.form, [&](FrmEdit& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Operator ändern"));
            QCOMPARE(QStringList({form.txtName->text(), form.txtSurename->text(), form.txtShort->text()}),
                     QStringList({"Bert", "Bo", "BB"}));
            for (QLineEdit* box : {form.txtShort, form.txtName}) {
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(box, Qt::Key_Backspace);
            }
            TypeText(form.txtShort, QStringLiteral("aa")); // taken, lower case: no checks in edit
            if (abbrechen)
                QTest::mouseClick(form.cmdClose, Qt::LeftButton);
            else
                QTest::keyClick(form.txtName, Qt::Key_Return);
            QVERIFY(!form.isVisible());
        });
        QTest::mouseClick(app.form.cmdEdit, Qt::LeftButton);
        QCOMPARE(RowEntry(app.row(1)), stored);
        QVERIFY(IsRowTicked(app.row(1)));
        QCOMPARE(app.form.lblOperator->text(), label);
        QCOMPARE(app.window.station().operatorShortCode(), stored.ShortCode);
        app.form.close();
    }
};

QTEST_MAIN(tst_OperatorDialogs)
#include "tst_operatordialogs.moc"
