// The settings dialog: what it shows (the file, not the loaded settings),
// the typing filters and limits, and apply/OK/Abbrechen with their effect on
// the file, the relay settings and a real listener.

#include "AppTestFolder.h"
#include "RecordingMessageBoxes.h"
#include "TypeText.h"
#include "app/MainWindow.h"
#include "app/RelayStation.h"
#include "settings/AppPaths.h"
#include "settings/RelaySettings.h"
#include "settings/SettingsDialog.h"
#include "ui/ControlState.h"
#include "ui/FrmMain.h"
#include "ui/FrmSettings.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

class tst_SettingsDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsTheFileNotTheLoadedSettings();
    void typingFilters_data();
    void typingFilters();
    void keysThatTypeNothingPassTheFilter_data();
    void keysThatTypeNothingPassTheFilter();
    void everyEditEnablesApply();
    void applyWritesReloadsAndStops();
    void applyClosesTheListenerOnItsOldPort();
    void okWithoutEditsRewritesAndClosesAbbrechenWritesNothing();
    void debugmodeTheBoxCannotShowIsKept();
    void failedWriteIsReported();

private:
    void writeSettings(const QByteArray& content) { QVERIFY(m_folder->writeSettings(content)); }
    QByteArray settingsFile() const { return m_folder->settingsFile(); }
    void openDialog();

    std::unique_ptr<AppTestFolder> m_folder;
    RecordingMessageBoxes m_boxes;
    std::unique_ptr<FrmMain> m_main;
    std::unique_ptr<RelayStation> m_station;
    std::unique_ptr<FrmSettings> m_form;
    SettingsDialog* m_dialog = nullptr;
};

void tst_SettingsDialog::init()
{
    m_folder = std::make_unique<AppTestFolder>();
    m_boxes = RecordingMessageBoxes{};
    m_main = std::make_unique<FrmMain>();
    m_station = std::make_unique<RelayStation>();
    FollowRelayStation(*m_station, *m_main);
    QVERIFY(m_station->startListening(FreeLoopbackPort()));
}

void tst_SettingsDialog::cleanup()
{
    m_form.reset();
    m_station.reset();
    m_main.reset();
    m_folder.reset();
    QVERIFY2(!AnyWindowOpen(), "a window was left open");
}

void tst_SettingsDialog::openDialog()
{
    m_form = std::make_unique<FrmSettings>(m_main.get());
    m_dialog = new SettingsDialog(*m_form, [this] { m_station->stopRelaying(); }, m_boxes);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void tst_SettingsDialog::showsTheFileNotTheLoadedSettings()
{
    writeSettings("[Archive]\nAET=ARCHIVE\nIP=10.0.0.5\nPort=104\n[Local]\nLocalAET=RELAY\nDebugmode=2\n");
    LoadSettings();
    writeSettings("[Archive]\nAET=ARCH2\nIP=10.0.0.5\nPort=123456\n[Local]\nLocalAET=RELAY\nDebugmode=2\n");
    openDialog();

    QCOMPARE(m_form->txtAET->text(), QStringLiteral("ARCH2"));
    QCOMPARE(m_form->txtPort->text(), QStringLiteral("123456")); // longer than typing allows, shown in full
    QCOMPARE(m_form->txtLocPort->text(), QString());              // no key: empty, though the relay uses 109
    QCOMPARE(RelaySettings().LocalPort, QStringLiteral("109"));
    QCOMPARE(m_form->chkDebug->checkState(), Qt::PartiallyChecked);
    QVERIFY(!m_form->chkDebug->isVisible());
    QVERIFY(!m_form->cmdApply->isEnabled());
}

void tst_SettingsDialog::typingFilters_data()
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
}

void tst_SettingsDialog::typingFilters()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    openDialog();
    auto* edit = m_form->findChild<QLineEdit*>(box);
    QVERIFY(edit);
    TypeText(edit, typed);
    QCOMPARE(edit->text(), expected);

    // Backspace works, and a selected digit may be typed over at the limit.
    if (edit->text().size() == 4) {
        edit->selectAll();
        TypeText(edit, QStringLiteral("7"));
        QCOMPARE(edit->text(), QStringLiteral("7"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
    }
    m_form->close();
}

void tst_SettingsDialog::keysThatTypeNothingPassTheFilter_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("txtIP") << "txtIP";
    QTest::newRow("txtPort") << "txtPort";
    QTest::newRow("txtLocPort") << "txtLocPort";
    QTest::newRow("txtAET") << "txtAET";
}

// The keys as X11 delivers them: Tab, Delete and Enter carry a control
// character as their text.
void tst_SettingsDialog::keysThatTypeNothingPassTheFilter()
{
    QFETCH(QString, box);
    const auto press = [](Qt::Key key, char16_t text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::sendKeyEvent(QTest::Click, focus, key, QString(QChar(text)), modifiers);
    };
    const QStringList tabOrder{"txtAET", "txtIP",  "txtPort",  "txtLocAET",
                               "txtLocPort", "cmdOK", "cmdApply", "cmdClose"};
    openDialog();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    auto* edit = m_form->findChild<QLineEdit*>(box);
    edit->setFocus();
    TypeText(edit, QStringLiteral("1234")); // an edit: "Übernehmen" joins the tab order
    QTest::keyClick(edit, Qt::Key_Home);
    press(Qt::Key_Delete, u'\x7f');
    QCOMPARE(edit->text(), QStringLiteral("234"));

    for (qsizetype i = tabOrder.indexOf(box) + 1; i < tabOrder.size(); ++i) {
        press(Qt::Key_Tab, u'\t');
        QCOMPARE(QApplication::focusWidget()->objectName(), tabOrder[i]);
    }
    for (qsizetype i = tabOrder.size() - 2; i >= tabOrder.indexOf(box); --i) {
        press(Qt::Key_Backtab, u'\t', Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), tabOrder[i]);
    }
    press(Qt::Key_Return, u'\r'); // presses OK
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_main->cmdStartStop->text(), QStringLiteral("Start"));
}

void tst_SettingsDialog::everyEditEnablesApply()
{
    openDialog();
    for (QLineEdit* box : {m_form->txtAET, m_form->txtIP, m_form->txtPort, m_form->txtLocAET, m_form->txtLocPort}) {
        m_form->cmdApply->setEnabled(false);
        TypeText(box, QStringLiteral("1"));
        QVERIFY2(m_form->cmdApply->isEnabled(), qPrintable(box->objectName()));
    }
    m_form->close();
}

void tst_SettingsDialog::applyWritesReloadsAndStops()
{
    openDialog();
    TypeText(m_form->txtAET, QStringLiteral("ARCHIVE"));
    TypeText(m_form->txtIP, QStringLiteral("10.0.0.5"));
    TypeText(m_form->txtPort, QStringLiteral("104"));
    TypeText(m_form->txtLocAET, QStringLiteral("RELAY"));
    TypeText(m_form->txtLocPort, QStringLiteral("109"));
    QTest::mouseClick(m_form->cmdApply, Qt::LeftButton);

    QCOMPARE(settingsFile(), QByteArray("[Archive]\r\nAET=ARCHIVE\r\nIP=10.0.0.5\r\nPort=104\r\n"
                                        "[Local]\r\nLocalAET=RELAY\r\nLocalPort=109\r\nDebugmode=0\r\n"));
    QCOMPARE(RelaySettings().ArchiveAET, QStringLiteral("ARCHIVE"));
    QCOMPARE(RelaySettings().LocalPort, QStringLiteral("109"));
    QCOMPARE(m_main->cmdStartStop->text(), QStringLiteral("Start"));
    QCOMPARE(BackColor(m_main->picOp), ColorRed);
    QVERIFY(!m_form->cmdApply->isEnabled());
    QVERIFY(m_form->isVisible());
    QVERIFY(m_boxes.shown.isEmpty());
    m_form->close();
}

void tst_SettingsDialog::applyClosesTheListenerOnItsOldPort()
{
    const quint16 oldPort = quint16(m_station->port());
    writeSettings("[Local]\r\nLocalPort=" + QByteArray::number(oldPort) + "\r\n");
    LoadSettings();
    openDialog();

    m_form->txtLocPort->clear();
    TypeText(m_form->txtLocPort, QStringLiteral("1234"));
    QTest::mouseClick(m_form->cmdApply, Qt::LeftButton);

    QVERIFY(!AcceptsConnections(oldPort));
    QCOMPARE(RelaySettings().LocalPort, QStringLiteral("1234"));
    QCOMPARE(m_main->cmdStartStop->text(), QStringLiteral("Start"));
    m_form->close();
}

void tst_SettingsDialog::okWithoutEditsRewritesAndClosesAbbrechenWritesNothing()
{
    const QByteArray before("[Local]\nLocalAET = RELAY \n[Archive]\nAET=\"ARCH\"\n");
    writeSettings(before);
    openDialog();
    TypeText(m_form->txtAET, QStringLiteral("X"));
    QTest::mouseClick(m_form->cmdClose, Qt::LeftButton);
    QVERIFY(!m_form->isVisible());
    QCOMPARE(settingsFile(), before);
    QCOMPARE(m_main->cmdStartStop->text(), QStringLiteral("Stop"));

    openDialog();
    QTest::keyClick(m_form->txtAET, Qt::Key_Return); // Enter presses OK
    QVERIFY(!m_form->isVisible());
    // Values replaced in place, the file's own lines and endings kept, keys appended.
    QCOMPARE(settingsFile(), QByteArray("[Local]\nLocalAET = RELAY\nLocalPort=\r\nDebugmode=0\r\n"
                                        "[Archive]\nAET=ARCH\nIP=\r\nPort=\r\n"));
    // An emptied LocalPort is written empty and read back empty, not as 109.
    QCOMPARE(RelaySettings().LocalPort, QString());
    QCOMPARE(m_main->cmdStartStop->text(), QStringLiteral("Start"));
    QCOMPARE(BackColor(m_main->picOp), ColorRed);
}

void tst_SettingsDialog::debugmodeTheBoxCannotShowIsKept()
{
    writeSettings("[Local]\r\nDebugmode=abc\r\n");
    openDialog();
    QCOMPARE(m_form->chkDebug->checkState(), Qt::Unchecked);
    QTest::mouseClick(m_form->cmdOK, Qt::LeftButton);
    QVERIFY(settingsFile().contains("Debugmode=abc\r\n"));

    writeSettings("[Local]\r\nDebugmode=1\r\n");
    openDialog();
    QCOMPARE(m_form->chkDebug->checkState(), Qt::Checked);
    QTest::mouseClick(m_form->cmdOK, Qt::LeftButton);
    QVERIFY(settingsFile().contains("Debugmode=1\r\n"));
    QCOMPARE(RelaySettings().Debugmode, QStringLiteral("1"));
}

void tst_SettingsDialog::failedWriteIsReported()
{
    const QByteArray before("[Local]\r\nLocalPort=2000\r\n");
    writeSettings(before);
    QVERIFY(QFile::setPermissions(SettingsFilePath(), QFile::ReadOwner | QFile::ReadGroup));
    openDialog();
    TypeText(m_form->txtAET, QStringLiteral("NEW"));
    QTest::mouseClick(m_form->cmdOK, Qt::LeftButton);

    QCOMPARE(m_boxes.texts(), QStringList{"Die Einstellungen konnten nicht gespeichert werden."});
    QCOMPARE(m_boxes.shown.first().title, QStringLiteral("Quorin Relay: Fehler"));
    QCOMPARE(m_boxes.shown.first().icon, MessageIcon::Error);
    QCOMPARE(settingsFile(), before);
    QCOMPARE(RelaySettings().LocalPort, QStringLiteral("2000")); // reloaded from the file as it is
    QCOMPARE(m_main->cmdStartStop->text(), QStringLiteral("Start"));
    QVERIFY(!m_form->isVisible());
}

QTEST_MAIN(tst_SettingsDialog)
#include "tst_settingsdialog.moc"
