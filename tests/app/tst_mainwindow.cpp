// The main window's start-up (with and without Settings.ini, the automatic
// start), the start/stop action against a real listener, and the close
// sequence that saves the operator list.

#include "AppTestFolder.h"
#include "RecordingMessageBoxes.h"
#include "app/MainWindow.h"
#include "operators/OperatorListView.h"
#include "operators/OperatorSelection.h"
#include "settings/AppPaths.h"
#include "settings/RelaySettings.h"
#include "ui/ControlState.h"
#include "ui/FrmMain.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString NoConnection = QStringLiteral("Es konnte keine Verbindung hergestellt werden.");
const QString NoOperator = QStringLiteral("Sie müssen einen Operator auswählen.");

} // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsEmptyAndStoppedWithoutSettingsFile();
    void automaticStartAtLoad_data();
    void automaticStartAtLoad();
    void startStopStartOnTheSamePort();
    void startWithUnusableLocalPort_data();
    void startWithUnusableLocalPort();
    void closingSavesTheList_data();
    void closingSavesTheList();
    void closingReportsAFailedSave();
    void emptyListSaveKeepsDeletedOperatorsDeleted();

private:
    void writeSettings(const QByteArray& content) { QVERIFY(m_folder->writeSettings(content)); }
    QByteArray settingsFile() const { return m_folder->settingsFile(); }
    void loadWindow();

    std::unique_ptr<AppTestFolder> m_folder;
    RecordingMessageBoxes m_boxes;
    std::unique_ptr<FrmMain> m_form;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QTcpServer> m_blocker;
};

void tst_MainWindow::init()
{
    m_folder = std::make_unique<AppTestFolder>();
    QVERIFY(m_folder->isValid());
    m_boxes = RecordingMessageBoxes{};
}

void tst_MainWindow::cleanup()
{
    m_window.reset();
    m_form.reset();
    m_blocker.reset();
    m_folder.reset();
    QVERIFY2(!AnyWindowOpen(), "a window was left open");
}

void tst_MainWindow::loadWindow()
{
    m_window.reset();
    m_form = std::make_unique<FrmMain>();
    m_window = std::make_unique<MainWindow>(*m_form, m_boxes);
    m_window->load();
}

void tst_MainWindow::startsEmptyAndStoppedWithoutSettingsFile()
{
    loadWindow();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Quorin Relay: Version 1.0.0"));
    QCOMPARE(BackColor(m_form->picOp), ColorRed);
    QCOMPARE(m_form->cmdStartStop->text(), QStringLiteral("Start"));
    QCOMPARE(OperatorRowCount(m_form->lstOperator), 0);
    QCOMPARE(m_form->lblOperator->text(), QStringLiteral("Kein Operator ausgewählt"));
    QVERIFY(m_boxes.shown.isEmpty());
    QVERIFY(!m_window->station().server());
    QCOMPARE(RelaySettings().LocalPort, QString()); // settings not loaded
    QVERIFY(!QFile::exists(SettingsFilePath()));
}

void tst_MainWindow::automaticStartAtLoad_data()
{
    QTest::addColumn<QString>("marker");
    QTest::addColumn<bool>("portInUse");
    QTest::addColumn<QStringList>("expectedMessages");
    QTest::addColumn<int>("expectedLamp");
    QTest::addColumn<QString>("expectedCaption");

    QTest::newRow("active operator, free port") << "Checked" << false << QStringList{} << ColorGreen << "Stop";
    QTest::newRow("no active operator") << "" << false << QStringList{NoOperator} << ColorRed << "Start";
    QTest::newRow("port in use") << "Checked" << true << QStringList{NoConnection} << ColorRed << "Start";
}

void tst_MainWindow::automaticStartAtLoad()
{
    QFETCH(QString, marker);
    QFETCH(bool, portInUse);
    QFETCH(QStringList, expectedMessages);
    QFETCH(int, expectedLamp);
    QFETCH(QString, expectedCaption);

    quint16 port = FreeLoopbackPort();
    if (portInUse) {
        m_blocker = std::make_unique<QTcpServer>();
        QVERIFY(m_blocker->listen(QHostAddress::Any, 0));
        port = m_blocker->serverPort();
    }
    writeSettings("[Local]\r\nLocalPort=" + QByteArray::number(port) + "\r\n[Operator]\r\nOperatorCount=2\r\n"
                  "Operator1=|Anna|Arm|AA\r\nOperator2=" + marker.toLatin1() + "|Bert|Bo|BB\r\n");
    bool windowVisibleDuringMessage = false;
    m_boxes.onShow = [&] { windowVisibleDuringMessage = m_form->isVisible(); };

    loadWindow();

    QCOMPARE(m_boxes.texts(), expectedMessages);
    QVERIFY(!windowVisibleDuringMessage);
    QCOMPARE(BackColor(m_form->picOp), expectedLamp);
    QCOMPARE(m_form->cmdStartStop->text(), expectedCaption);
    QVERIFY(m_window->station().server());
    if (!portInUse)
        QCOMPARE(AcceptsConnections(port), expectedCaption == QLatin1String("Stop"));
}

void tst_MainWindow::startStopStartOnTheSamePort()
{
    const quint16 port = FreeLoopbackPort();
    writeSettings("[Local]\r\nLocalPort=" + QByteArray::number(port)
                  + "\r\n[Operator]\r\nOperatorCount=1\r\nOperator1=Checked|Anna|Arm|AA\r\n");
    loadWindow();
    QCOMPARE(m_form->cmdStartStop->text(), QStringLiteral("Stop"));

    QTest::mouseClick(m_form->cmdStartStop, Qt::LeftButton);
    QCOMPARE(m_form->cmdStartStop->text(), QStringLiteral("Start"));
    QCOMPARE(BackColor(m_form->picOp), ColorRed);
    QVERIFY(!AcceptsConnections(port));

    QTest::mouseClick(m_form->cmdStartStop, Qt::LeftButton);
    QCOMPARE(m_form->cmdStartStop->text(), QStringLiteral("Stop"));
    QCOMPARE(BackColor(m_form->picOp), ColorGreen);
    QVERIFY(AcceptsConnections(port));
    QVERIFY(m_boxes.shown.isEmpty());
}

void tst_MainWindow::startWithUnusableLocalPort_data()
{
    QTest::addColumn<QByteArray>("localPortLine");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QStringList>("expectedMessages");

    // Without a ticked operator the stop request still needs the port.
    QTest::newRow("empty, nobody ticked") << QByteArray("LocalPort=") << false
                                          << QStringList{NoOperator, NoConnection};
    QTest::newRow("empty, ticked") << QByteArray("LocalPort=") << true << QStringList{NoConnection};
    QTest::newRow("letters, ticked") << QByteArray("LocalPort=abc") << true << QStringList{NoConnection};
    QTest::newRow("beyond 32 bits") << QByteArray("LocalPort=4294967400") << true << QStringList{NoConnection};
    QTest::newRow("out of port range") << QByteArray("LocalPort=70000") << true << QStringList{NoConnection};
}

void tst_MainWindow::startWithUnusableLocalPort()
{
    QFETCH(QByteArray, localPortLine);
    QFETCH(bool, ticked);
    QFETCH(QStringList, expectedMessages);

    writeSettings("[Local]\r\n" + localPortLine + "\r\n[Operator]\r\nOperatorCount=1\r\nOperator1="
                  + (ticked ? "Checked" : "") + "|Anna|Arm|AA\r\n");
    loadWindow();

    QCOMPARE(m_boxes.texts(), expectedMessages);
    QCOMPARE(m_boxes.shown.last().title, QStringLiteral("Quorin Relay: Keine Verbindung"));
    QCOMPARE(m_boxes.shown.last().icon, MessageIcon::Error);
    QCOMPARE(BackColor(m_form->picOp), ColorRed);
    QCOMPARE(m_form->cmdStartStop->text(), QStringLiteral("Start"));
}

void tst_MainWindow::closingSavesTheList_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cmdClose") << "cmdClose";
    QTest::newRow("mnuClose") << "mnuClose";
    QTest::newRow("title bar") << "titlebar";
}

void tst_MainWindow::closingSavesTheList()
{
    QFETCH(QString, how);
    writeSettings("; kept\r\n[Operator]\r\nOperatorCount=2\r\nOperator1=Checked|Anna|Arm|AA|extra\r\n"
                  "Operator2=|Bert|Bo|BB\r\nOperator3=|Old|Entry|OE\r\n");
    loadWindow();
    m_boxes.shown.clear();
    m_form->show();
    OnOperatorItemCheck(m_form->lstOperator, m_window->station(), OperatorRow(m_form->lstOperator, 1));

    if (how == QLatin1String("cmdClose"))
        QTest::mouseClick(m_form->cmdClose, Qt::LeftButton);
    else if (how == QLatin1String("mnuClose"))
        m_form->mnuClose->trigger();
    else
        m_form->close();

    QVERIFY(!m_form->isVisible());
    QCOMPARE(settingsFile(), QByteArray("; kept\r\n[Operator]\r\nOperatorCount=2\r\nOperator1=|Anna|Arm|AA\r\n"
                                        "Operator2=Checked|Bert|Bo|BB\r\nOperator3=|Old|Entry|OE\r\n"));
    QVERIFY(m_boxes.shown.isEmpty());
}

void tst_MainWindow::closingReportsAFailedSave()
{
    const QByteArray before("[Operator]\r\nOperatorCount=1\r\nOperator1=|Anna|Arm|AA\r\n");
    writeSettings(before);
    loadWindow();
    OnOperatorItemCheck(m_form->lstOperator, m_window->station(), OperatorRow(m_form->lstOperator, 0));
    m_boxes.shown.clear();
    QVERIFY(QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner | QFile::ReadGroup));

    m_form->show();
    m_form->close();

    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_boxes.texts(), QStringList{"Die Operatorliste konnte nicht gespeichert werden."});
    QCOMPARE(m_boxes.shown.first().title, QStringLiteral("Quorin Relay: Fehler"));
    QCOMPARE(m_boxes.shown.first().icon, MessageIcon::Error);
    QCOMPARE(settingsFile(), before);
}

void tst_MainWindow::emptyListSaveKeepsDeletedOperatorsDeleted()
{
    // Without a file nothing is created, so the next start stays quiet.
    loadWindow();
    m_form->show();
    m_form->close();
    QVERIFY(!QFile::exists(SettingsFilePath()));

    writeSettings("[Operator]\r\nOperatorCount=1\r\nOperator1=|Anna|Arm|AA\r\n");
    loadWindow();
    m_form->lstOperator->clear();
    m_form->show();
    m_form->close();
    QCOMPARE(settingsFile(), QByteArray("[Operator]\r\nOperatorCount=0\r\nOperator1=|Anna|Arm|AA\r\n"));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
