// The settings LoadSettings reads from Settings.ini in the program folder,
// the numbers taken from them at use, and the lines of Log/Debug.txt there.

#include "settings/AppPaths.h"
#include "settings/DebugLog.h"
#include "settings/NumberText.h"
#include "settings/RelaySettings.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_RelaySettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QDateTime m_now;

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetProgramFolderOverride(m_dir.path());
        SetDebugLogClock([this] { return m_now; });
    }

    void init()
    {
        QFile::remove(path("Settings.ini"));
        QDir(path("Log")).removeRecursively();
        QFile::remove(path("Log"));
    }

    // The keys, in any case; the text as it is; the defaults of missing keys.
    // The reading rules are tst_profilestrings'.
    void load()
    {
        QVERIFY(TestFiles::write(path("Settings.ini"),
                                 "[archive]\r\naet=ARCHIVE\r\nIP=10.0.0.5\r\nPort=0104\r\n[LOCAL]\r\nLOCALAET=RELAY\r\n"));
        LoadSettings();
        const RelaySettingsValues& s = RelaySettings();
        QCOMPARE((QStringList{s.ArchiveAET, s.ArchiveIP, s.ArchivePort, s.LocalAET, s.LocalPort, s.Debugmode}),
                 (QStringList{"ARCHIVE", "10.0.0.5", "0104", "RELAY", "109", "0"}));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("int32"); // "-": no number
        QTest::addColumn<QString>("int16");
        QTest::addColumn<QString>("debug"); // "on", "off" or "-"
        QTest::newRow("zeros and blanks") << " 0104 " << "104" << "104" << "off";
        QTest::newRow("one, sign and zeros") << "+01" << "1" << "1" << "on";
        QTest::newRow("16-bit maximum") << "32767" << "32767" << "32767" << "off";
        QTest::newRow("beyond 16 bits") << "32768" << "32768" << "-" << "off";
        QTest::newRow("16-bit minimum") << "-32768" << "-32768" << "-32768" << "off";
        QTest::newRow("32-bit minimum") << "-2147483648" << "-2147483648" << "-" << "off";
        QTest::newRow("beyond 32 bits") << "2147483648" << "-" << "-" << "off";
        QTest::newRow("2^64 + 104, no wrap-around") << "18446744073709551720" << "-" << "-" << "off";
        for (const char* text : {"", "  ", "-", "104a", "1 0", "1.5", "\xD9\xA1" /* Arabic one */})
            QTest::addRow("not a number: \"%s\"", text) << text << "-" << "-" << "-";
    }

    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(QString, int32);
        QFETCH(QString, int16);
        QFETCH(QString, debug);
        const auto show = [](auto value) { return value ? QString::number(*value) : QStringLiteral("-"); };
        QCOMPARE(show(ToInt32(text)), int32);
        QCOMPARE(show(ToInt16(text)), int16);
        const std::optional<bool> on = IsDebugModeOn(text);
        QCOMPARE(on ? QString::fromLatin1(*on ? "on" : "off") : QStringLiteral("-"), debug);
    }

    void debugLines()
    {
        // The first line makes the folder and the file; each line is appended.
        const auto line = [this](QTime time, const QString& text) {
            m_now = QDateTime(QDate(2026, 12, 5), time);
            return WriteDebugLine(text);
        };
        QVERIFY(line(QTime(14, 3, 7), QStringLiteral("Send to ARCHIVE - 10.0.0.5 - 104")));
        QVERIFY(line(QTime(0, 0, 0, 999), QStringLiteral("Jürgen € Ā"))); // midnight: the date alone
        QVERIFY(line(QTime(0, 0, 1), QString()));
        QVERIFY(line(QTime(23, 59, 59), QStringLiteral("x")));
        QCOMPARE(TestFiles::read(path("Log/Debug.txt")),
                 QByteArray("05.12.2026 14:03:07 - Send to ARCHIVE - 10.0.0.5 - 104\r\n05.12.2026 - J\xFCrgen \x80 ?\r\n"
                            "05.12.2026 00:00:01 - \r\n05.12.2026 23:59:59 - x\r\n"));
    }

    void debugLineFailures()
    {
        QVERIFY(TestFiles::write(path("Log"), "not a folder"));
        QVERIFY(!WriteDebugLine(QStringLiteral("x")));
        QCOMPARE(TestFiles::read(path("Log")), QByteArray("not a folder"));
    }
};

QTEST_GUILESS_MAIN(tst_RelaySettings)
#include "tst_relaysettings.moc"
