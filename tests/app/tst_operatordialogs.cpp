// The operator dialogs driven as a user would: typing, Enter, buttons. New
// (checks, messages, upper-casing, refused characters), edit (written back as
// typed, the operator on duty shown anew) and delete (confirmation, the
// operator on duty, the selection afterwards, the listener stopped).

#include "AppTestFolder.h"
#include "RealMessageBox.h"
#include "RecordingMessageBoxes.h"
#include "TypeText.h"
#include "app/MainWindow.h"
#include "app/RelayStation.h"
#include "operators/DeleteOperator.h"
#include "operators/EditOperatorDialog.h"
#include "operators/NewOperatorDialog.h"
#include "operators/OperatorListView.h"
#include "operators/OperatorSelection.h"
#include "operators/OperatorStorage.h"
#include "settings/RelaySettings.h"
#include "ui/ControlState.h"
#include "ui/FrmEdit.h"
#include "ui/FrmMain.h"
#include "ui/FrmNew.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString FillAll = QStringLiteral("Bitte füllen Sie alle Felder aus.");
const QString Taken = QStringLiteral("Dieser Kürzel ist bereits vergeben.");

} // namespace

class tst_OperatorDialogs : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shortCodeIsUpperCasedWhileTyping();
    void newOperatorChecks_data();
    void newOperatorChecks();
    void focusAfterTheRealMessageBox_data();
    void focusAfterTheRealMessageBox();
    void aFullListTakesNoMoreOperators();
    void boxesRefuseWhatTheFileCannotHold_data();
    void boxesRefuseWhatTheFileCannotHold();
    void editWritesBackAsTypedAndShowsTheOperatorOnDuty();
    void editAbbrechenAndNoSelectionChangeNothing();
    void deleteAsksAndSelectsTheLastRow();
    void deletingTheOperatorOnDutyStopsRelaying();
    void deletingTheOnlyRowDisablesTheButtons();

private:
    void loadRows(const QList<OperatorEntry>& entries);
    std::unique_ptr<FrmNew> openNew();
    DeleteOperatorControls deleteControls() const;

    RecordingMessageBoxes m_boxes;
    std::unique_ptr<FrmMain> m_main;
    std::unique_ptr<RelayStation> m_station;
};

void tst_OperatorDialogs::init()
{
    m_boxes = RecordingMessageBoxes{};
    RelaySettings() = RelaySettingsValues{};
    m_main = std::make_unique<FrmMain>();
    m_station = std::make_unique<RelayStation>();
    FollowRelayStation(*m_station, *m_main);
}

void tst_OperatorDialogs::cleanup()
{
    m_station.reset();
    m_main.reset();
    QVERIFY2(!AnyWindowOpen(), "a window was left open");
}

void tst_OperatorDialogs::loadRows(const QList<OperatorEntry>& entries)
{
    LoadOperatorRows(m_main->lstOperator, *m_station, entries);
}

std::unique_ptr<FrmNew> tst_OperatorDialogs::openNew()
{
    auto form = std::make_unique<FrmNew>(m_main.get());
    new NewOperatorDialog(*form, {m_main->lstOperator, m_main->cmdEdit, m_main->cmdDel}, m_boxes);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return nullptr;
    return form;
}

DeleteOperatorControls tst_OperatorDialogs::deleteControls() const
{
    return {m_main->lstOperator, m_main->cmdEdit, m_main->cmdDel};
}

void tst_OperatorDialogs::shortCodeIsUpperCasedWhileTyping()
{
    auto form = openNew();
    QVERIFY(form);
    TypeText(form->txtShort, QStringLiteral("ab"));
    QCOMPARE(form->txtShort->text(), QStringLiteral("AB"));
    QCOMPARE(form->txtShort->cursorPosition(), 2);
    // A character the code page has no capital for stays as typed.
    // "ß" has a capital only as "SS": it stays, so the code keeps its length.
    TypeText(form->txtShort, QStringLiteral("µß"));
    QCOMPARE(form->txtShort->text(), QStringLiteral("ABµß"));
    form->close();
}

void tst_OperatorDialogs::newOperatorChecks_data()
{
    QTest::addColumn<QStringList>("typed"); // first name, surname, short code
    QTest::addColumn<QString>("expectedMessage");
    QTest::addColumn<QString>("expectedTitle");

    QTest::newRow("first name empty") << QStringList{"", "Muster", "MM"} << FillAll << "Quorin Relay: Fehler";
    QTest::newRow("surname empty") << QStringList{"Max", "", "MM"} << FillAll << "Quorin Relay: Fehler";
    QTest::newRow("short code empty") << QStringList{"Max", "Muster", ""} << FillAll << "Quorin Relay: Fehler";
    QTest::newRow("all empty") << QStringList{"", "", ""} << FillAll << "Quorin Relay: Fehler";
    QTest::newRow("short code taken") << QStringList{"Max", "Muster", "AB"} << Taken << "Quorin Relay: Bereits vorhanden";
    QTest::newRow("blanks count as filled") << QStringList{" ", " ", "NEW"} << QString() << QString();
    QTest::newRow("other case is free") << QStringList{"Max", "Muster", "LO"} << QString() << QString();
    QTest::newRow("trailing blank is free") << QStringList{"Max", "Muster", "AB "} << QString() << QString();
    QTest::newRow("same names, other code") << QStringList{"Anna", "Arm", "AA2"} << QString() << QString();
}

void tst_OperatorDialogs::newOperatorChecks()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, expectedMessage);
    QFETCH(QString, expectedTitle);

    loadRows({{"Checked", "Anna", "Arm", "AB"}, {"", "Lo", "Wer", "lo"}});
    m_main->cmdEdit->setEnabled(false);
    m_main->cmdDel->setEnabled(false);
    auto form = openNew();
    QVERIFY(form);
    TypeText(form->txtName, typed[0]);
    TypeText(form->txtSurename, typed[1]);
    TypeText(form->txtShort, typed[2]);
    form->txtName->setFocus();
    QTest::mouseClick(form->cmdNew, Qt::LeftButton);

    if (expectedMessage.isEmpty()) {
        QVERIFY(m_boxes.shown.isEmpty());
        QVERIFY(!form->isVisible());
        QCOMPARE(OperatorRowCount(m_main->lstOperator), 3);
        QTreeWidgetItem* added = OperatorRow(m_main->lstOperator, 2);
        QCOMPARE(RowEntry(added), (OperatorEntry{"", typed[0], typed[1], typed[2].toUpper()}));
        QVERIFY(!IsRowTicked(added));
        QVERIFY(!added->isSelected());
        QVERIFY(m_main->cmdEdit->isEnabled());
        QVERIFY(m_main->cmdDel->isEnabled());
        QCOMPARE(m_station->operatorShortCode(), QStringLiteral("AB")); // the operator on duty is unchanged
        return;
    }
    QCOMPARE(m_boxes.texts(), QStringList{expectedMessage});
    QCOMPARE(m_boxes.shown.first().title, expectedTitle);
    QCOMPARE(m_boxes.shown.first().icon, MessageIcon::Information);
    QVERIFY(form->isVisible());
    QCOMPARE(OperatorRowCount(m_main->lstOperator), 2);
    QCOMPARE(form->txtName->text(), typed[0]);
    if (expectedMessage == Taken)
        QCOMPARE(QApplication::focusWidget(), form->txtShort);
    form->close();
}

void tst_OperatorDialogs::focusAfterTheRealMessageBox_data()
{
    QTest::addColumn<QString>("shortCode");
    QTest::addColumn<QString>("expectedMessage");
    QTest::addColumn<QString>("expectedFocus"); // where the correction is typed
    QTest::addColumn<QString>("correctedCode");

    QTest::newRow("code taken: to the code") << "ab" << Taken << "txtShort" << "AW";
    QTest::newRow("field empty: stays") << "" << FillAll << "txtShort" << "W";
}

// The real box opens and is closed with Enter; then the dialog is activated
// again, as a desktop's window manager does. The correction is typed
// wherever the focus is.
void tst_OperatorDialogs::focusAfterTheRealMessageBox()
{
    QFETCH(QString, shortCode);
    QFETCH(QString, expectedMessage);
    QFETCH(QString, expectedFocus);
    QFETCH(QString, correctedCode);

    loadRows({{"", "Anna", "Arm", "AB"}});
    QtMessageBoxes realBoxes;
    FrmNew form(m_main.get());
    NewOperatorDialog behaviour(form, {m_main->lstOperator, m_main->cmdEdit, m_main->cmdDel}, realBoxes);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), form.txtName);
    TypeText(form.txtName, QStringLiteral("Jürgen"));
    QTest::keyClick(form.txtName, Qt::Key_Tab);
    TypeText(form.txtSurename, QStringLiteral("Weiß"));
    QTest::keyClick(form.txtSurename, Qt::Key_Tab);
    TypeText(form.txtShort, shortCode);

    QString shownText;
    CloseNextMessageBoxWith(Qt::Key_Return, &shownText);
    QTest::keyClick(form.txtShort, Qt::Key_Return);
    QCOMPARE(shownText, expectedMessage);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget()->objectName(), expectedFocus);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    TypeText(QApplication::focusWidget(), QStringLiteral("w"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!form.isVisible());
    QCOMPARE(OperatorRowCount(m_main->lstOperator), 2);
    QCOMPARE(RowEntry(OperatorRow(m_main->lstOperator, 1)), (OperatorEntry{"", "Jürgen", "Weiß", correctedCode}));
}

void tst_OperatorDialogs::aFullListTakesNoMoreOperators()
{
    QList<OperatorEntry> entries;
    for (int i = 0; i < MaxOperatorCount; ++i)
        entries.append({QString(), QStringLiteral("F"), QStringLiteral("S"), QString::number(i)});
    loadRows(entries);
    auto form = openNew();
    QVERIFY(form);
    TypeText(form->txtName, QStringLiteral("Max"));
    TypeText(form->txtSurename, QStringLiteral("Muster"));
    TypeText(form->txtShort, QStringLiteral("MM"));
    QTest::mouseClick(form->cmdNew, Qt::LeftButton);
    QCOMPARE(m_boxes.texts(), QStringList{"Die Operatorliste ist voll."});
    QCOMPARE(OperatorRowCount(m_main->lstOperator), MaxOperatorCount);
    QVERIFY(form->isVisible());
    form->close();
}

void tst_OperatorDialogs::boxesRefuseWhatTheFileCannotHold_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");

    QTest::newRow("separator typed") << "txtName" << "A|B" << "" << "AB";
    QTest::newRow("separator pasted") << "txtSurename" << "" << "x|y" << "";
    QTest::newRow("outside Windows-1252") << "txtName" << "AŁB" << "" << "AB";
    QTest::newRow("euro sign is fine") << "txtSurename" << "5€" << "" << "5€";
    QTest::newRow("short code limit") << "txtShort" << QString(20, 'q') << "" << QString(16, 'Q');
    QTest::newRow("name limit") << "txtName" << QString(120, 'n') << "" << QString(100, 'n');
}

void tst_OperatorDialogs::boxesRefuseWhatTheFileCannotHold()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, expected);

    auto form = openNew();
    QVERIFY(form);
    auto* edit = form->findChild<QLineEdit*>(box);
    QVERIFY(edit);
    TypeText(edit, typed);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        edit->paste();
    }
    QCOMPARE(edit->text(), expected);
    form->close();
}

void tst_OperatorDialogs::editWritesBackAsTypedAndShowsTheOperatorOnDuty()
{
    loadRows({{"", "Anna", "Arm", "AA"}, {"Checked", "Bert", "Bo", "BB"}});
    QTreeWidgetItem* onDuty = OperatorRow(m_main->lstOperator, 1);
    FrmEdit form(m_main.get());
    new EditOperatorDialog(form, onDuty, *m_station);
    QCOMPARE(form.txtName->text(), QStringLiteral("Bert"));
    QCOMPARE(form.txtSurename->text(), QStringLiteral("Bo"));
    QCOMPARE(form.txtShort->text(), QStringLiteral("BB"));
    form.show();

    form.txtShort->clear();
    TypeText(form.txtShort, QStringLiteral("aa")); // taken elsewhere, lower case: accepted
    form.txtName->clear();
    QTest::keyClick(form.txtName, Qt::Key_Return);

    QVERIFY(!form.isVisible());
    QCOMPARE(RowEntry(onDuty), (OperatorEntry{"Checked", "", "Bo", "aa"}));
    QVERIFY(IsRowTicked(onDuty));
    QCOMPARE(m_main->lblOperator->text(), QStringLiteral(" Bo"));
    QCOMPARE(m_station->operatorShortCode(), QStringLiteral("aa"));
}

void tst_OperatorDialogs::editAbbrechenAndNoSelectionChangeNothing()
{
    loadRows({{"", "Anna", "Arm", "AA"}});
    // Nothing selected: no dialog at all.
    bool dialogSeen = false;
    QTimer::singleShot(0, this, [&] {
        dialogSeen = QApplication::activeModalWidget() != nullptr;
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    EditOperatorDialog::Show(m_main.get(), m_main->lstOperator, *m_station);
    QVERIFY(!dialogSeen);

    QTreeWidgetItem* row = OperatorRow(m_main->lstOperator, 0);
    m_main->lstOperator->setCurrentItem(row);
    FrmEdit form(m_main.get());
    new EditOperatorDialog(form, row, *m_station);
    form.show();
    TypeText(form.txtName, QStringLiteral("xyz"));
    QTest::mouseClick(form.cmdClose, Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(RowEntry(row), (OperatorEntry{"", "Anna", "Arm", "AA"}));
}

void tst_OperatorDialogs::deleteAsksAndSelectsTheLastRow()
{
    loadRows({{"", "A", "A", "A"}, {"", "B", "B", "B"}, {"Checked", "C", "C", "C"}, {"", "D", "D", "D"}});
    m_main->lstOperator->setCurrentItem(OperatorRow(m_main->lstOperator, 1));

    m_boxes.answers.enqueue(MessageAnswer::No);
    DeleteSelectedOperator(deleteControls(), *m_station, m_boxes);
    QCOMPARE(OperatorRowCount(m_main->lstOperator), 4);
    QCOMPARE(m_boxes.shown.size(), 1);
    QCOMPARE(m_boxes.shown.first().title, QStringLiteral("Quorin Relay: Wirklich löchen?"));
    QCOMPARE(m_boxes.shown.first().text, QStringLiteral("Wollen Sie den Operator wirklich löschen?"));
    QCOMPARE(m_boxes.shown.first().icon, MessageIcon::Question);
    QCOMPARE(m_boxes.shown.first().buttons, MessageButtons::YesNo);

    DeleteSelectedOperator(deleteControls(), *m_station, m_boxes);
    QCOMPARE(OperatorRowCount(m_main->lstOperator), 3);
    QCOMPARE(OperatorRow(m_main->lstOperator, 1)->text(0), QStringLiteral("C"));
    QTreeWidgetItem* last = OperatorRow(m_main->lstOperator, 2);
    QCOMPARE(SelectedOperatorRow(m_main->lstOperator), last);
    QCOMPARE(m_station->operatorShortCode(), QStringLiteral("C")); // operator on duty untouched
    QVERIFY(IsRowTicked(OperatorRow(m_main->lstOperator, 1)));
}

void tst_OperatorDialogs::deletingTheOperatorOnDutyStopsRelaying()
{
    const quint16 port = FreeLoopbackPort();
    RelaySettings().LocalPort = QString::number(port);
    QVERIFY(m_station->startListening(port));
    QCOMPARE(m_main->cmdStartStop->text(), QStringLiteral("Stop"));
    loadRows({{"Checked", "Anna", "Arm", "AA"}, {"", "Bert", "Bo", "BB"}});

    DeleteSelectedOperator(deleteControls(), *m_station, m_boxes);

    QCOMPARE(m_main->lblOperator->text(), QStringLiteral("Kein Operator ausgewählt"));
    QCOMPARE(m_station->operatorShortCode(), QString());
    QCOMPARE(BackColor(m_main->picOp), ColorRed);
    QCOMPARE(m_main->cmdStartStop->text(), QStringLiteral("Start"));
    QVERIFY(!AcceptsConnections(port));
    QCOMPARE(OperatorRowCount(m_main->lstOperator), 1);

    // Before any listener existed: no server object, no LocalPort. The rest completes.
    RelaySettings() = RelaySettingsValues{};
    RelayStation neverStarted;
    OnOperatorItemCheck(m_main->lstOperator, neverStarted, OperatorRow(m_main->lstOperator, 0));
    DeleteSelectedOperator(deleteControls(), neverStarted, m_boxes);
    QCOMPARE(OperatorRowCount(m_main->lstOperator), 0);
    QCOMPARE(neverStarted.operatorShortCode(), QString());
}

void tst_OperatorDialogs::deletingTheOnlyRowDisablesTheButtons()
{
    loadRows({{"", "Anna", "Arm", "AA"}});
    m_main->lstOperator->setCurrentItem(OperatorRow(m_main->lstOperator, 0));
    DeleteSelectedOperator(deleteControls(), *m_station, m_boxes);
    QCOMPARE(OperatorRowCount(m_main->lstOperator), 0);
    QVERIFY(!m_main->cmdEdit->isEnabled());
    QVERIFY(!m_main->cmdDel->isEnabled());

    // With nothing selected, delete asks nothing.
    m_boxes.shown.clear();
    DeleteSelectedOperator(deleteControls(), *m_station, m_boxes);
    QVERIFY(m_boxes.shown.isEmpty());
}

QTEST_MAIN(tst_OperatorDialogs)
#include "tst_operatordialogs.moc"
