// The operator on duty: loading stored markers, the user's ticks (mouse and
// Space) against the program's own, and the click that enables the buttons.

#include "AppTestFolder.h"
#include "app/MainWindow.h"
#include "app/RelayStation.h"
#include "operators/OperatorListView.h"
#include "operators/OperatorSelection.h"
#include "ui/FrmMain.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

class tst_OperatorSelection : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadTicksAndShowsMarkedEntries_data();
    void loadTicksAndShowsMarkedEntries();
    void userTickMakesRowTheOnlyOperatorOnDuty_data();
    void userTickMakesRowTheOnlyOperatorOnDuty();
    void untickingTheOperatorOnDutyTicksItAgain();
    void programTicksDoNotRunTheHandler();
    void clickOnRowEnablesEditAndDelete();

private:
    void clickCheckBox(int row);
    QStringList tickedRows() const;

    std::unique_ptr<FrmMain> m_form;
    std::unique_ptr<RelayStation> m_station;
    std::unique_ptr<OperatorSelection> m_selection;
};

void tst_OperatorSelection::init()
{
    m_form = std::make_unique<FrmMain>();
    m_station = std::make_unique<RelayStation>();
    FollowRelayStation(*m_station, *m_form);
    m_selection = std::make_unique<OperatorSelection>(m_form->lstOperator, *m_station, m_form->cmdEdit,
                                                      m_form->cmdDel);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void tst_OperatorSelection::cleanup()
{
    m_selection.reset();
    m_station.reset();
    m_form.reset();
    QVERIFY2(!AnyWindowOpen(), "a window was left open");
}

void tst_OperatorSelection::clickCheckBox(int row)
{
    QTreeWidget* list = m_form->lstOperator;
    const QRect cell = list->visualRect(list->model()->index(row, 0));
    // The check indicator sits at the left edge of the first cell.
    const QPoint indicator(cell.left() + list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8,
                           cell.center().y());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, indicator);
}

QStringList tst_OperatorSelection::tickedRows() const
{
    QStringList ticked;
    for (int i = 0; i < OperatorRowCount(m_form->lstOperator); ++i) {
        QTreeWidgetItem* row = OperatorRow(m_form->lstOperator, i);
        if (IsRowTicked(row))
            ticked.append(QString::number(i) + QLatin1Char(':') + RowTag(row));
    }
    return ticked;
}

void tst_OperatorSelection::loadTicksAndShowsMarkedEntries_data()
{
    QTest::addColumn<QStringList>("markers");
    QTest::addColumn<QStringList>("expectedTicked");
    QTest::addColumn<QString>("expectedCaption");
    QTest::addColumn<QString>("expectedTag");

    QTest::newRow("none marked") << QStringList{"", "", ""} << QStringList{}
                                 << "Kein Operator ausgewählt" << "";
    QTest::newRow("second marked") << QStringList{"", "Checked", ""} << QStringList{"1:Checked"}
                                   << "First1 Last1" << "C1";
    QTest::newRow("two marked, last wins") << QStringList{"Checked", "", "Checked"}
                                           << QStringList{"0:Checked", "2:Checked"} << "First2 Last2" << "C2";
    QTest::newRow("other case is no marker") << QStringList{"checked", "CHECKED", "Checked "}
                                             << QStringList{} << "Kein Operator ausgewählt" << "";
}

void tst_OperatorSelection::loadTicksAndShowsMarkedEntries()
{
    QFETCH(QStringList, markers);
    QFETCH(QStringList, expectedTicked);
    QFETCH(QString, expectedCaption);
    QFETCH(QString, expectedTag);

    QList<OperatorEntry> entries;
    for (int i = 0; i < markers.size(); ++i)
        entries.append({markers[i], QStringLiteral("First%1").arg(i), QStringLiteral("Last%1").arg(i),
                        QStringLiteral("C%1").arg(i)});
    LoadOperatorRows(m_form->lstOperator, *m_station, entries);

    QCOMPARE(tickedRows(), expectedTicked);
    QCOMPARE(m_form->lblOperator->text(), expectedCaption);
    QCOMPARE(m_station->operatorShortCode(), expectedTag);
    // Unknown markers stay in the tag, to be written back unchanged.
    QCOMPARE(CollectOperatorRows(m_form->lstOperator), entries);
}

void tst_OperatorSelection::userTickMakesRowTheOnlyOperatorOnDuty_data()
{
    QTest::addColumn<bool>("useKeyboard");
    QTest::newRow("mouse") << false;
    QTest::newRow("space") << true;
}

void tst_OperatorSelection::userTickMakesRowTheOnlyOperatorOnDuty()
{
    QFETCH(bool, useKeyboard);
    LoadOperatorRows(m_form->lstOperator, *m_station,
                     {{"Checked", "Anna", "Arm", "AA"}, {"", "", "", "nn"}, {"Checked", "Cleo", "Cole", "CC"}});

    if (useKeyboard) {
        m_form->lstOperator->setFocus();
        m_form->lstOperator->setCurrentItem(OperatorRow(m_form->lstOperator, 1));
        QTest::keyClick(m_form->lstOperator, Qt::Key_Space);
    } else {
        clickCheckBox(1);
    }

    QCOMPARE(tickedRows(), QStringList{"1:Checked"});
    QCOMPARE(RowTag(OperatorRow(m_form->lstOperator, 0)), QString());
    QCOMPARE(RowTag(OperatorRow(m_form->lstOperator, 2)), QString());
    QVERIFY(OperatorRow(m_form->lstOperator, 1)->isSelected());
    // Empty names: the caption is the joining blank alone.
    QCOMPARE(m_form->lblOperator->text(), QStringLiteral(" "));
    QCOMPARE(m_station->operatorShortCode(), QStringLiteral("nn"));
}

void tst_OperatorSelection::untickingTheOperatorOnDutyTicksItAgain()
{
    LoadOperatorRows(m_form->lstOperator, *m_station,
                     {{"", "Anna", "Arm", "AA"}, {"Checked", "Bert", "Bo", "BB"}});
    clickCheckBox(1);
    QCOMPARE(tickedRows(), QStringList{"1:Checked"});
    QCOMPARE(m_form->lblOperator->text(), QStringLiteral("Bert Bo"));
    QCOMPARE(m_station->operatorShortCode(), QStringLiteral("BB"));
}

void tst_OperatorSelection::programTicksDoNotRunTheHandler()
{
    LoadOperatorRows(m_form->lstOperator, *m_station,
                     {{"Checked", "Anna", "Arm", "AA"}, {"", "Bert", "Bo", "BB"}});
    SetRowTicked(OperatorRow(m_form->lstOperator, 1), true);
    // Had the handler run, row 0 would have lost its tick and tag.
    QCOMPARE(tickedRows(), (QStringList{"0:Checked", "1:"}));
    QCOMPARE(m_station->operatorShortCode(), QStringLiteral("AA"));
}

void tst_OperatorSelection::clickOnRowEnablesEditAndDelete()
{
    LoadOperatorRows(m_form->lstOperator, *m_station, {{"", "Anna", "Arm", "AA"}});
    m_form->cmdEdit->setEnabled(false);
    m_form->cmdDel->setEnabled(false);
    const QRect cell = m_form->lstOperator->visualRect(m_form->lstOperator->model()->index(0, 1));
    QTest::mouseClick(m_form->lstOperator->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(m_form->cmdEdit->isEnabled());
    QVERIFY(m_form->cmdDel->isEnabled());
    QCOMPARE(tickedRows(), QStringList{}); // a click on the row is no tick
}

QTEST_MAIN(tst_OperatorSelection)
#include "tst_operatorselection.moc"
