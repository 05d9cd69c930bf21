// "Neu anlegen" and "Operator ändern", opened with the main window's buttons
// and filled in key by key: what the boxes take, the checks and their
// messages, the focus after a real message box, and what edit writes back.

#include "AppTest.h"
#include "operators/OperatorSelection.h"
#include "ui/FrmEdit.h"
#include "ui/FrmNew.h"

namespace {

const QString FillAll = Box("Quorin Relay: Fehler", "Bitte füllen Sie alle Felder aus.", MessageIcon::Information);
const QString Taken = Box("Quorin Relay: Bereits vorhanden", "Dieser Kürzel ist bereits vergeben.",
                          MessageIcon::Information);
const QString Full = Box("Quorin Relay: Fehler", "Die Operatorliste ist voll.", MessageIcon::Information);

// A Settings.ini with the relay listening on a free port, these rows, and
// empty rows up to `count`.
QByteArray Ini(const QByteArrayList& rows, int count = -1)
{
    QByteArray ini = "[Local]\r\nLocalPort=" + QByteArray::number(quorin::test::freeLoopbackPort())
                     + "\r\n[Operator]\r\nOperatorCount=" + QByteArray::number(count < 0 ? rows.size() : count) + "\r\n";
    for (int i = 0; i < rows.size(); ++i)
        ini += "Operator" + QByteArray::number(i + 1) + "=" + rows[i] + "\r\n";
    return ini;
}

// typed: first name, surname, short code ("paste " before a text pastes it);
// stored: the new row, none when a message comes instead.
struct NewCase { QStringList typed; int rows; QString message; QStringList stored; };
struct FocusCase { QString firstName, shortCode, message, focus, correction, storedCode; };

} // namespace

class tst_OperatorDialogs : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY2(!AnyWindowOpen(), "a window was left open"); }

    void newChecksTheBoxes_data()
    {
        QTest::addColumn<NewCase>("c");
        const QString q20(20, 'q'), n120(120, 'n');
        QTest::newRow("first name empty") << NewCase{{"", "Muster", "MM"}, 2, FillAll, {}};
        QTest::newRow("surname empty") << NewCase{{"Max", "", "MM"}, 2, FillAll, {}};
        QTest::newRow("short code empty") << NewCase{{"Max", "Muster", ""}, 2, FillAll, {}};
        QTest::newRow("short code taken") << NewCase{{"Max", "Muster", "AB"}, 2, Taken, {}};
        QTest::newRow("list full") << NewCase{{"Max", "Muster", "MM"}, 32766, Full, {}};
        QTest::newRow("blanks count as filled") << NewCase{{" ", " ", "NEW"}, 2, "", {" ", " ", "NEW"}};
        QTest::newRow("other case is free") << NewCase{{"Max", "Muster", "LO"}, 2, "", {"Max", "Muster", "LO"}};
        QTest::newRow("trailing blank is free") << NewCase{{"Max", "Muster", "AB "}, 2, "", {"Max", "Muster", "AB "}};
        QTest::newRow("same names, other code") << NewCase{{"Anna", "Arm", "AA2"}, 2, "", {"Anna", "Arm", "AA2"}};
        QTest::newRow("short code upper-cased as typed") << NewCase{{"M", "M", "xy"}, 2, "", {"M", "M", "XY"}};
        // No capital in the code page, or only "SS": kept, so the code keeps its length.
        QTest::newRow("µ and ß kept in short codes") << NewCase{{"M", "M", "aµßb"}, 2, "", {"M", "M", "AµßB"}};
        QTest::newRow("separator typed") << NewCase{{"A|B", "M", "M"}, 2, "", {"AB", "M", "M"}};
        QTest::newRow("separator pasted") << NewCase{{"A", "paste x|y", "M"}, 2, FillAll, {}};
        QTest::newRow("outside Windows-1252") << NewCase{{"AŁB", "M", "M"}, 2, "", {"AB", "M", "M"}};
        QTest::newRow("euro sign is fine") << NewCase{{"A", "5€", "M"}, 2, "", {"A", "5€", "M"}};
        QTest::newRow("length limits") << NewCase{{n120, "M", q20}, 2, "", {n120.left(100), "M", q20.left(16).toUpper()}};
    }
    void newChecksTheBoxes()
    {
        QFETCH(NewCase, c);
        RelayApp app(Ini({"Checked|Anna|Arm|AB", "|Lo|Wer|lo"}, c.rows));
        app.load();
        app.boxes.shown.clear();
        app.form.cmdEdit->setEnabled(false); // as after deleting the last row
        app.form.cmdDel->setEnabled(false);
        WhenModal<FrmNew>(&app.form, [&](FrmNew& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Neu anlegen"));
            const QList<QLineEdit*> boxes{form.txtName, form.txtSurename, form.txtShort};
            for (int i = 0; i < 3; ++i) {
                QGuiApplication::clipboard()->setText(c.typed[i].mid(6));
                if (c.typed[i].startsWith("paste "))
                    QTest::keyClick(boxes[i], Qt::Key_V, Qt::ControlModifier);
                else
                    TypeText(boxes[i], c.typed[i]);
            }
            QTest::mouseClick(form.cmdNew, Qt::LeftButton);
            QCOMPARE(form.isVisible(), !c.message.isEmpty());
            if (c.message == Taken)
                QCOMPARE(QApplication::focusWidget(), form.txtShort);
        });
        QTest::mouseClick(app.form.cmdNew, Qt::LeftButton);

        QCOMPARE(app.boxes.shown, c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        QCOMPARE(OperatorRowCount(app.form.lstOperator), c.rows + !c.stored.isEmpty());
        if (c.stored.isEmpty())
            return;
        QCOMPARE(RowEntry(app.row(2)), (OperatorEntry{"", c.stored[0], c.stored[1], c.stored[2]}));
        QVERIFY(!IsRowTicked(app.row(2)) && !app.row(2)->isSelected());
        QVERIFY(app.form.cmdEdit->isEnabled() && app.form.cmdDel->isEnabled());
        QCOMPARE(app.window.station().operatorShortCode(), QStringLiteral("AB")); // still on duty
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
        RelayApp app(Ini({"Checked|Anna|Arm|AB"}), true);
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
    }
};

QTEST_MAIN(tst_OperatorDialogs)
#include "tst_operatordialogs.moc"
