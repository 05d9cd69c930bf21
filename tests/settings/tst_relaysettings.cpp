#include "settings/AppPaths.h"
#include "settings/NumberText.h"
#include "settings/RelaySettings.h"
#include "tests/settings/TestFiles.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

class tst_RelaySettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void loadFrom(const QByteArray& file)
    {
        if (!file.isNull())
            QVERIFY(TestFiles::write(SettingsFilePath(), file));
        RelaySettings() = {};
        LoadSettings();
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetProgramFolderOverride(m_dir.path());
        QFile::remove(SettingsFilePath());
    }

    void cleanupTestCase()
    {
        SetProgramFolderOverride({});
    }

    void paths()
    {
        SetProgramFolderOverride(m_dir.path() + QStringLiteral("/"));
        QCOMPARE(ProgramFolder(), m_dir.path());
        QCOMPARE(SettingsFilePath(), m_dir.path() + QStringLiteral("/Settings.ini"));
        QCOMPARE(DebugLogFolder(), m_dir.path() + QStringLiteral("/Log"));
        QCOMPARE(DebugLogPath(), m_dir.path() + QStringLiteral("/Log/Debug.txt"));
        SetProgramFolderOverride({});
        QCOMPARE(ProgramFolder(), QCoreApplication::applicationDirPath());
    }

    void defaults_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("only the operator section") << QByteArray("[Operator]\r\nOperator1=|A|B|C\r\nOperatorCount=1\r\n");
    }

    void defaults()
    {
        QFETCH(QByteArray, file);
        loadFrom(file);
        const RelaySettingsValues& s = RelaySettings();
        QCOMPARE(s.ArchiveAET, QString());
        QCOMPARE(s.ArchiveIP, QString());
        QCOMPARE(s.ArchivePort, QString());
        QCOMPARE(s.LocalAET, QString());
        QCOMPARE(s.LocalPort, QStringLiteral("109"));
        QCOMPARE(s.Debugmode, QStringLiteral("0"));
    }

    void values()
    {
        loadFrom("[archive]\r\naet=ARCHIVE\r\nIP=10.0.0.5\r\nPort=104\r\n"
                 "[LOCAL]\r\nLocalAET=RELAY\r\nLOCALPORT=\r\nDebugmode= 1 \r\n");
        const RelaySettingsValues& s = RelaySettings();
        QCOMPARE(s.ArchiveAET, QStringLiteral("ARCHIVE"));
        QCOMPARE(s.ArchiveIP, QStringLiteral("10.0.0.5"));
        QCOMPARE(s.ArchivePort, QStringLiteral("104"));
        QCOMPARE(s.LocalAET, QStringLiteral("RELAY"));
        QCOMPARE(s.LocalPort, QString()); // present but empty: not the default
        QCOMPARE(s.Debugmode, QStringLiteral("1"));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("int32"); // "-" when no number
        QTest::addColumn<QString>("int16");
        QTest::addColumn<QString>("debug"); // "on", "off" or "-"

        QTest::newRow("plain") << "104" << "104" << "104" << "off";
        QTest::newRow("leading zeros") << "0104" << "104" << "104" << "off";
        QTest::newRow("one") << "1" << "1" << "1" << "on";
        QTest::newRow("one with zeros and blanks") << " 01 " << "1" << "1" << "on";
        QTest::newRow("plus sign") << "+1" << "1" << "1" << "on";
        QTest::newRow("minus one") << "-1" << "-1" << "-1" << "off";
        QTest::newRow("16-bit maximum") << "32767" << "32767" << "32767" << "off";
        QTest::newRow("beyond 16 bits") << "32768" << "32768" << "-" << "off";
        QTest::newRow("16-bit minimum") << "-32768" << "-32768" << "-32768" << "off";
        QTest::newRow("32-bit maximum") << "2147483647" << "2147483647" << "-" << "off";
        QTest::newRow("beyond 32 bits") << "2147483648" << "-" << "-" << "off";
        QTest::newRow("32-bit minimum") << "-2147483648" << "-2147483648" << "-" << "off";
        QTest::newRow("huge") << "100000000000000000000001" << "-" << "-" << "off";
        QTest::newRow("empty") << "" << "-" << "-" << "-";
        QTest::newRow("blank") << "  " << "-" << "-" << "-";
        QTest::newRow("sign alone") << "-" << "-" << "-" << "-";
        QTest::newRow("letters") << "abc" << "-" << "-" << "-";
        QTest::newRow("trailing letter") << "104a" << "-" << "-" << "-";
        QTest::newRow("inner blank") << "1 0" << "-" << "-" << "-";
        QTest::newRow("fraction") << "1.5" << "-" << "-" << "-";
        QTest::newRow("non-ASCII digits") << "١" << "-" << "-" << "-";
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
};

QTEST_GUILESS_MAIN(tst_RelaySettings)
#include "tst_relaysettings.moc"
