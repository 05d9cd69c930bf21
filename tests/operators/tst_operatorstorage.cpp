#include "operators/OperatorStorage.h"
#include "settings/ProfileStrings.h"
#include "tests/settings/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

OperatorEntry Entry(const char* marker, const char* first, const char* surname, const char* code)
{
    return {QString::fromUtf8(marker), QString::fromUtf8(first), QString::fromUtf8(surname), QString::fromUtf8(code)};
}

} // namespace

char* toString(const OperatorEntry& entry)
{
    return QTest::toString(entry.joined());
}

class tst_OperatorStorage : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir; // a fresh one for every test
    QString m_ini;

    QList<OperatorEntry> loadList()
    {
        return ReadOperatorEntries(m_ini, ReadOperatorCount(m_ini));
    }

private slots:
    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_ini = m_dir->filePath(QStringLiteral("Settings.ini"));
    }

    void entryFields_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<OperatorEntry>("entry");
        QTest::addColumn<QString>("rejoined");
        QTest::newRow("on duty") << "Checked|Max|Muster|MM" << Entry("Checked", "Max", "Muster", "MM")
                                 << "Checked|Max|Muster|MM";
        QTest::newRow("fields after the fourth dropped") << "Checked|A|B|C|D" << Entry("Checked", "A", "B", "C")
                                                         << "Checked|A|B|C";
        QTest::newRow("four empty fields") << "|||" << Entry("", "", "", "") << "|||";
        QTest::newRow("fewer separators") << "x|Anna" << Entry("x", "Anna", "", "") << "x|Anna||";
        QTest::newRow("empty value") << "" << Entry("", "", "", "") << "|||";
    }

    void entryFields()
    {
        QFETCH(QString, stored);
        QFETCH(OperatorEntry, entry);
        QFETCH(QString, rejoined);
        QCOMPARE(OperatorEntry::parse(stored), entry);
        QCOMPARE(entry.joined(), rejoined);
    }

    void displayName()
    {
        QCOMPARE(Entry("", "Max", "Muster", "MM").displayName(), QStringLiteral("Max Muster"));
        QCOMPARE(Entry("", "", "Muster", "MM").displayName(), QStringLiteral(" Muster"));
    }

    void count_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file
        QTest::addColumn<int>("count");
        QTest::newRow("no file") << QByteArray() << 0;
        QTest::newRow("no section") << QByteArray("[Local]\r\nLocalPort=104\r\n") << 0;
        QTest::newRow("plain") << QByteArray("[Operator]\r\nOperatorCount=3\r\n") << 3;
        QTest::newRow("blanks and case") << QByteArray("[OPERATOR]\r\noperatorcount = 07 \r\n") << 7;
        QTest::newRow("not a number") << QByteArray("[Operator]\r\nOperatorCount=drei\r\n") << 0;
        QTest::newRow("empty") << QByteArray("[Operator]\r\nOperatorCount=\r\n") << 0;
        QTest::newRow("negative") << QByteArray("[Operator]\r\nOperatorCount=-2\r\n") << -2;
        QTest::newRow("above the limit") << QByteArray("[Operator]\r\nOperatorCount=32767\r\n") << 32766;
        QTest::newRow("beyond 16 bits") << QByteArray("[Operator]\r\nOperatorCount=40000\r\n") << 32766;
        QTest::newRow("far below 16 bits") << QByteArray("[Operator]\r\nOperatorCount=-40000\r\n") << -32768;
        QTest::newRow("beyond 32 bits") << QByteArray("[Operator]\r\nOperatorCount=4294967297\r\n") << 0;
    }

    void count()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, count);
        if (!file.isNull())
            QVERIFY(TestFiles::write(m_ini, file));
        QCOMPARE(int(ReadOperatorCount(m_ini)), count);
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<OperatorEntry>>("entries");
        const QByteArray two("Operator1=Checked|Max|Muster|MM\r\nOperator2=|Erika|Mustermann|EM\r\n");
        QTest::newRow("count 0 with entries") << "[Operator]\r\nOperatorCount=0\r\n" + two << QList<OperatorEntry>{};
        QTest::newRow("negative count with entries") << "[Operator]\r\nOperatorCount=-1\r\n" + two
                                                     << QList<OperatorEntry>{};
        QTest::newRow("missing entries are empty")
            << QByteArray("[Operator]\r\nOperatorCount=3\r\nOperator1=|A|B|C\r\n")
            << QList<OperatorEntry>{Entry("", "A", "B", "C"), Entry("", "", "", ""), Entry("", "", "", "")};
        QTest::newRow("extra field, fewer separators, empty value")
            << QByteArray("[Operator]\r\nOperatorCount=4\r\nOperator1=x|Y\r\nOperator2=Checked|A|B|C|D\r\n"
                          "Operator3=\r\noperator4=checked|\xC4nne|Wei\xDF|\xC4W\r\nOperator5=|not|read|NR\r\n")
            << QList<OperatorEntry>{Entry("x", "Y", "", ""), Entry("Checked", "A", "B", "C"), Entry("", "", "", ""),
                                    Entry("checked", "Änne", "Weiß", "ÄW")};
    }

    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<OperatorEntry>, entries);
        QVERIFY(TestFiles::write(m_ini, file));
        QCOMPARE(loadList(), entries);
    }

    void saveToNewFile()
    {
        QVERIFY(WriteOperatorEntries(m_ini, {Entry("Checked", "Jürgen", "Weiß", "JW"), Entry("", "Max", "Muster", "MM")}));
        // Each entry is followed by the count, as one write at a time leaves them.
        QCOMPARE(TestFiles::read(m_ini), QByteArray("[Operator]\r\nOperator1=Checked|J\xFCrgen|Wei\xDF|JW\r\n"
                                                    "OperatorCount=2\r\nOperator2=|Max|Muster|MM\r\n"));
    }

    void saveEqualsOneWriteAtATime()
    {
        const QByteArray before("; Quorin\r\n[Archive]\r\nAET=A\r\n\r\n[operator]\n"
                                "Operator2=|old|two|O2\nOPERATORCOUNT=2\nOperator1=|old|one|O1\n\n[Local]\r\nLocalPort=104");
        const QList<OperatorEntry> entries{Entry("", "A", "B", "C"), Entry("Checked", "D", "E", "F"),
                                           Entry("", "G", "H", "I")};
        const QString expected = m_dir->filePath(QStringLiteral("Expected.ini"));
        QVERIFY(TestFiles::write(m_ini, before));
        QVERIFY(TestFiles::write(expected, before));
        for (int i = 1; i <= entries.size(); ++i) {
            QVERIFY(WriteIniString("Operator", QStringLiteral("Operator%1").arg(i), entries.at(i - 1).joined(), expected));
            QVERIFY(WriteIniString("Operator", "OperatorCount", QString::number(i), expected));
        }

        QVERIFY(WriteOperatorEntries(m_ini, entries));
        QCOMPARE(TestFiles::read(m_ini), TestFiles::read(expected));
        QCOMPARE(loadList(), entries);
    }

    void shrinkLeavesHigherEntries()
    {
        QList<OperatorEntry> five;
        for (int i = 1; i <= 5; ++i)
            five.append(Entry("", "Vorname", "Nachname", QByteArray::number(i).constData()));
        QVERIFY(WriteOperatorEntries(m_ini, five));
        QVERIFY(WriteOperatorEntries(m_ini, five.mid(0, 3)));

        QCOMPARE(ReadIniString("Operator", "OperatorCount", {}, m_ini, 256), QStringLiteral("3"));
        QCOMPARE(ReadIniString("Operator", "Operator4", {}, m_ini, 256), QStringLiteral("|Vorname|Nachname|4"));
        QCOMPARE(ReadIniString("Operator", "Operator5", {}, m_ini, 256), QStringLiteral("|Vorname|Nachname|5"));
        QCOMPARE(loadList(), five.mid(0, 3));
    }

    void loadThenSaveNormalises()
    {
        QVERIFY(TestFiles::write(m_ini, "[Operator]\r\nOperatorCount=2\r\nOperator1=Checked|A|B|C|D\r\n"));
        QVERIFY(WriteOperatorEntries(m_ini, loadList()));
        QCOMPARE(TestFiles::read(m_ini), QByteArray("[Operator]\r\nOperatorCount=2\r\nOperator1=Checked|A|B|C\r\n"
                                                    "Operator2=|||\r\n"));
    }

    void emptyListWithFileStoresCountZero()
    {
        const QByteArray before("[Local]\r\nLocalPort=104\r\n[Operator]\r\nOperatorCount=2\r\nOperator1=|A|B|C\r\n");
        QVERIFY(TestFiles::write(m_ini, before));
        QVERIFY(WriteOperatorEntries(m_ini, {}));
        QByteArray after = before;
        after.replace("OperatorCount=2", "OperatorCount=0");
        QCOMPARE(TestFiles::read(m_ini), after);
        QVERIFY(loadList().isEmpty());
    }

    void emptyListWithoutFileCreatesNothing()
    {
        QVERIFY(WriteOperatorEntries(m_ini, {}));
        QVERIFY(!QFile::exists(m_ini));
    }

    void readOnlyFileIsNotChanged()
    {
        const QByteArray before("[Operator]\r\nOperatorCount=1\r\nOperator1=|A|B|C\r\n");
        QVERIFY(TestFiles::write(m_ini, before));
        QVERIFY(QFile::setPermissions(m_ini, QFileDevice::ReadOwner));
        QVERIFY(!WriteOperatorEntries(m_ini, {Entry("", "X", "Y", "Z")}));
        QVERIFY(!WriteOperatorEntries(m_ini, {}));
        QCOMPARE(TestFiles::read(m_ini), before);
    }
};

QTEST_GUILESS_MAIN(tst_OperatorStorage)
#include "tst_operatorstorage.moc"
