#include "settings/AppPaths.h"
#include "settings/DebugLog.h"
#include "tests/settings/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class tst_DebugLog : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QDateTime m_now;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetProgramFolderOverride(m_dir.path());
        SetDebugLogClock([this] { return m_now; });
    }

    void init()
    {
        m_now = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 7));
        QDir(DebugLogFolder()).removeRecursively();
        QFile::remove(DebugLogFolder());
    }

    void cleanupTestCase()
    {
        SetDebugLogClock({});
        SetProgramFolderOverride({});
    }

    void firstCallCreatesFolderAndFile()
    {
        QVERIFY(WriteDebugLine(QStringLiteral("Send to ARCHIVE - 10.0.0.5 - 104")));
        QCOMPARE(TestFiles::read(DebugLogPath()), QByteArray("05.12.2026 14:03:07 - Send to ARCHIVE - 10.0.0.5 - 104\r\n"));
    }

    void linesAreAppendedInCallOrder()
    {
        QVERIFY(QDir().mkdir(DebugLogFolder()));
        QVERIFY(TestFiles::write(DebugLogPath(), "old content\n"));
        QVERIFY(WriteDebugLine(QStringLiteral("first")));
        QVERIFY(WriteDebugLine(QStringLiteral("second")));
        QCOMPARE(TestFiles::read(DebugLogPath()),
                 QByteArray("old content\n05.12.2026 14:03:07 - first\r\n05.12.2026 14:03:07 - second\r\n"));
    }

    void timestamp_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("midnight") << QTime(0, 0, 0) << "05.12.2026";
        QTest::newRow("midnight, milliseconds ignored") << QTime(0, 0, 0, 999) << "05.12.2026";
        QTest::newRow("one second past") << QTime(0, 0, 1) << "05.12.2026 00:00:01";
        QTest::newRow("24-hour clock") << QTime(23, 59, 59) << "05.12.2026 23:59:59";
    }

    void timestamp()
    {
        QFETCH(QTime, time);
        QFETCH(QString, stamp);
        m_now = QDateTime(QDate(2026, 12, 5), time);
        QVERIFY(WriteDebugLine(QString()));
        QCOMPARE(TestFiles::read(DebugLogPath()), (stamp + QStringLiteral(" - \r\n")).toLatin1());
    }

    void textIsWindows1252()
    {
        QVERIFY(WriteDebugLine(QStringLiteral("Jürgen € Ā")));
        QCOMPARE(TestFiles::read(DebugLogPath()), QByteArray("05.12.2026 14:03:07 - J\xFCrgen \x80 ?\r\n"));
    }

    void fileNamedLogFails()
    {
        QVERIFY(TestFiles::write(DebugLogFolder(), "not a folder"));
        QVERIFY(!WriteDebugLine(QStringLiteral("x")));
        QVERIFY(!WriteDebugLine(QStringLiteral("y")));
        QCOMPARE(TestFiles::read(DebugLogFolder()), QByteArray("not a folder"));
    }

    void unopenableFileFails()
    {
        QVERIFY(QDir().mkpath(DebugLogPath())); // a folder where the file should be
        QVERIFY(!WriteDebugLine(QStringLiteral("x")));
    }
};

QTEST_GUILESS_MAIN(tst_DebugLog)
#include "tst_debuglog.moc"
