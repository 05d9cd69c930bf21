// The Operator section: OperatorCount and the 16-bit limits of the list, the
// rows as read and as written. fuzz/fuzz_operators.cpp checks on any file
// that a saved list loads back, that a save leaves the other sections'
// settings alone and that an empty list saves a count of 0; tst_mainwindow
// that a read-only file is reported and left as it was.

#include "operators/OperatorStorage.h"
#include "settings/ProfileStrings.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <optional>

char* ToString(const OperatorEntry& entry)
{
    return QTest::toString(entry.joined());
}

class tst_OperatorStorage : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir; // a fresh one for every test
    QString m_ini;

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_ini = m_dir->filePath(QStringLiteral("Settings.ini"));
    }

    void count_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("count");
        QTest::newRow("not a number") << QByteArray("drei") << 0;
        QTest::newRow("negative") << QByteArray("-2") << -2;
        QTest::newRow("above the limit") << QByteArray("32767") << 32766;
        QTest::newRow("beyond 16 bits") << QByteArray("40000") << 32766;
        QTest::newRow("far below 16 bits") << QByteArray("-40000") << -32768;
        QTest::newRow("beyond 32 bits") << QByteArray("4294967297") << 0;
    }

    void count()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, count);
        QVERIFY(TestFiles::Write(m_ini, "[OPERATOR]\r\noperatorcount=" + value));
        QCOMPARE(int(ReadOperatorCount(m_ini)), count);
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("count");
        QTest::addColumn<QList<OperatorEntry>>("entries");
        QTest::newRow("negative") << QByteArray("-1") << QList<OperatorEntry>{};
        QTest::newRow("4: split at '|', missing fields and keys empty, Windows-1252") << QByteArray("4")
            << QList<OperatorEntry>{{"x", "Y", "", ""}, {"Checked", "A", "B", "C"}, {"", "", "", ""},
                                    {"checked", "Änne", "Weiß", "ÄW"}};
    }

    void load()
    {
        QFETCH(QByteArray, count);
        QFETCH(QList<OperatorEntry>, entries);
        QVERIFY(TestFiles::Write(m_ini, "[Operator]\r\nOperatorCount=" + count + "\r\nOperator1=x|Y\r\n"
                                        "Operator2=Checked|A|B|C|D\r\noperator4=checked|\xC4nne|Wei\xDF|\xC4W\r\n"
                                        "Operator5=|not|read|NR\r\n"));
        QCOMPARE(ReadOperatorEntries(m_ini, ReadOperatorCount(m_ini)), entries);
    }

    void save()
    {
        QVERIFY(WriteOperatorEntries(m_ini, {}));
        QVERIFY(!QFile::exists(m_ini)); // an empty list makes no file
        // The count after every entry: right after Operator1 in a new file.
        QVERIFY(WriteOperatorEntries(m_ini,
                                     {{"Checked", "Jürgen", "Weiß", "JW"}, {"", "A", "", ""}, {"", "B", "C", "D"}}));
        QCOMPARE(TestFiles::Read(m_ini), QByteArray("[Operator]\r\nOperator1=Checked|J\xFCrgen|Wei\xDF|JW\r\n"
                                                    "OperatorCount=3\r\nOperator2=|A||\r\nOperator3=|B|C|D\r\n"));
        // Rows above a shorter list's count stay; an empty list saves count 0.
        QVERIFY(WriteOperatorEntries(m_ini, {{"", "C", "D", "1"}}));
        QVERIFY(WriteOperatorEntries(m_ini, {}));
        QCOMPARE(TestFiles::Read(m_ini), QByteArray("[Operator]\r\nOperator1=|C|D|1\r\nOperatorCount=0\r\n"
                                                    "Operator2=|A||\r\nOperator3=|B|C|D\r\n"));
    }

    void rowsBeyondTheLimitAreNotSaved()
    {
        QVERIFY(WriteOperatorEntries(m_ini, QList<OperatorEntry>(kMaxOperatorCount + 1, {"", "A", "B", "C"})));
        const IniReadSnapshot file(m_ini);
        QCOMPARE(file.read("Operator", "OperatorCount", "-", 256), QStringLiteral("32766"));
        QCOMPARE(file.read("Operator", "Operator32766", "-", 256), QStringLiteral("|A|B|C"));
        QCOMPARE(file.read("Operator", "Operator32767", "-", 256), QStringLiteral("-"));
    }
};

QTEST_GUILESS_MAIN(tst_OperatorStorage)
#include "tst_operatorstorage.moc"
