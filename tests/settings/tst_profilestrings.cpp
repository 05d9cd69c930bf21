#include "settings/ProfileStrings.h"
#include "tests/settings/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Write {
    QString section;
    QString key;
    QString value;
};
using Writes = QList<Write>;

} // namespace

Q_DECLARE_METATYPE(Write)

class tst_ProfileStrings : public QObject {
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

    void read_data()
    {
        QTest::addColumn<QByteArray>("file"); // empty: no file at all
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("defaultValue");
        QTest::addColumn<int>("bufferSize");
        QTest::addColumn<QString>("expected");

        const QByteArray local("[Archive]\r\nAET=ARCHIVE\r\n[Local]\r\nLocalAET=RELAY\r\nLocalPort=104\r\n");
        QTest::newRow("no file") << QByteArray() << "Local" << "LocalPort" << "109" << 256 << "109";
        QTest::newRow("no section") << QByteArray("[Operator]\r\nOperatorCount=1\r\n") << "Local" << "LocalPort"
                                    << "109" << 256 << "109";
        QTest::newRow("no key") << local << "Local" << "Debugmode" << "0" << 256 << "0";
        QTest::newRow("found") << local << "Local" << "LocalPort" << "109" << 256 << "104";
        QTest::newRow("names in other case") << QByteArray("[LOCAL]\r\nlocalport=104\r\n") << "Local" << "LocalPort"
                                             << "109" << 256 << "104";
        QTest::newRow("umlaut names in other case") << QByteArray("[\xC4RZTE]\r\nSCHL\xDC""SSEL=1\r\n") << "Ärzte"
                                                    << "Schlüssel" << "" << 256 << "1";
        QTest::newRow("blanks around value") << QByteArray("[Local]\r\nDebugmode= 1 \r\n") << "Local" << "Debugmode"
                                             << "0" << 256 << "1";
        QTest::newRow("blanks and tabs around key and value")
            << QByteArray("[Local]\r\n \tDebugmode \t=\t 1\t \r\n") << "Local" << "Debugmode" << "0" << 256 << "1";
        QTest::newRow("blanks inside value kept") << QByteArray("[A]\r\nk= a  b \r\n") << "A" << "k" << "" << 256
                                                  << "a  b";
        QTest::newRow("double quotes dropped") << QByteArray("[A]\r\nk=\" a \"\r\n") << "A" << "k" << "" << 256 << " a ";
        QTest::newRow("single quotes dropped") << QByteArray("[A]\r\nk='x'\r\n") << "A" << "k" << "" << 256 << "x";
        QTest::newRow("mixed quotes kept") << QByteArray("[A]\r\nk=\"x'\r\n") << "A" << "k" << "" << 256 << "\"x'";
        QTest::newRow("lone quote kept") << QByteArray("[A]\r\nk=\"\r\n") << "A" << "k" << "" << 256 << "\"";
        QTest::newRow("empty value is not the default") << QByteArray("[Local]\r\nLocalPort=\r\n") << "Local"
                                                        << "LocalPort" << "109" << 256 << "";
        QTest::newRow("value holding '='") << QByteArray("[A]\r\nk=a=b\r\n") << "A" << "k" << "" << 256 << "a=b";
        QTest::newRow("300 characters give 255") << "[A]\r\nk=" + QByteArray(300, 'x') + "\r\n" << "A" << "k" << ""
                                                 << 256 << QString(255, 'x');
        QTest::newRow("buffer 1 gives nothing") << QByteArray("[A]\r\nk=abc\r\n") << "A" << "k" << "" << 1 << "";
        QTest::newRow("buffer 0 gives nothing") << QByteArray("[A]\r\nk=abc\r\n") << "A" << "k" << "" << 0 << "";
        QTest::newRow("buffer -1 gives nothing") << QByteArray("[A]\r\nk=abc\r\n") << "A" << "k" << "" << -1 << "";
        QTest::newRow("default cut to the buffer too") << QByteArray() << "A" << "k" << "|||" << 3 << "||";
        QTest::newRow("LF-only file") << QByteArray("[Archive]\nAET=A\n[Local]\nLocalPort=105\n") << "Local"
                                      << "LocalPort" << "109" << 256 << "105";
        QTest::newRow("last line without line ending") << QByteArray("[Local]\r\nLocalPort=106") << "Local"
                                                       << "LocalPort" << "109" << 256 << "106";
        QTest::newRow("first of two sections counts")
            << QByteArray("[Local]\r\nLocalAET=ONE\r\n[B]\r\n[local]\r\nLocalAET=TWO\r\nLocalPort=7\r\n") << "Local"
            << "LocalPort" << "109" << 256 << "109";
        QTest::newRow("first of two keys counts") << QByteArray("[A]\r\nk=1\r\nK=2\r\n") << "A" << "k" << "" << 256
                                                  << "1";
        QTest::newRow("key before any section is in none") << QByteArray("LocalPort=1\r\n[Local]\r\n") << "Local"
                                                          << "LocalPort" << "109" << 256 << "109";
        QTest::newRow("comment is no key") << QByteArray("[Local]\r\n;LocalPort=1\r\n") << "Local" << "LocalPort"
                                           << "109" << 256 << "109";
        QTest::newRow("header with blanks and a comment") << QByteArray("  [ Local ] ; relay\r\nLocalPort=3\r\n")
                                                          << "Local" << "LocalPort" << "109" << 256 << "3";
        QTest::newRow("Windows-1252 value") << QByteArray("[A]\r\nk=J\xFCrgen Wei\xDF \x80\r\n") << "A" << "k" << ""
                                            << 256 << "Jürgen Weiß €";
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, defaultValue);
        QFETCH(int, bufferSize);
        QFETCH(QString, expected);
        if (!file.isEmpty())
            QVERIFY(TestFiles::write(m_ini, file));

        QCOMPARE(ReadIniString(section, key, defaultValue, m_ini, qint16(bufferSize)), expected);
        const IniReadSnapshot snapshot(m_ini);
        QCOMPARE(snapshot.fileExists(), !file.isEmpty());
        QCOMPARE(snapshot.read(section, key, defaultValue, qint16(bufferSize)), expected);
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<Write>("write");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("creates the file") << QByteArray() << Write{"Archive", "AET", "ARCHIVE"}
                                          << QByteArray("[Archive]\r\nAET=ARCHIVE\r\n");
        QTest::newRow("empty file") << QByteArray("") << Write{"A", "k", "v"} << QByteArray("[A]\r\nk=v\r\n");
        QTest::newRow("section appended at the end")
            << QByteArray("[A]\r\nx=1\r\n\r\n") << Write{"B", "k", "v"} << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n");
        QTest::newRow("line ending added before a new section")
            << QByteArray("[A]\nx=1") << Write{"B", "k", "v"} << QByteArray("[A]\nx=1\r\n[B]\r\nk=v\r\n");
        QTest::newRow("line ending added before a new key")
            << QByteArray("[A]\nx=1") << Write{"A", "y", "2"} << QByteArray("[A]\nx=1\r\ny=2\r\n");
        QTest::newRow("key after the last non-blank line of its section")
            << QByteArray("[A]\r\nx=1\r\n; about A\r\n\r\n\r\n[B]\r\nz=3\r\n") << Write{"a", "y", "2"}
            << QByteArray("[A]\r\nx=1\r\n; about A\r\ny=2\r\n\r\n\r\n[B]\r\nz=3\r\n");
        QTest::newRow("key into an empty section") << QByteArray("[A]\r\n\r\n[B]\r\n") << Write{"A", "y", "2"}
                                                   << QByteArray("[A]\r\ny=2\r\n\r\n[B]\r\n");
        QTest::newRow("key into an empty last section") << QByteArray("[A]") << Write{"A", "y", "2"}
                                                        << QByteArray("[A]\r\ny=2\r\n");
        QTest::newRow("replaced in place keeping spelling, blanks and LF")
            << QByteArray("; relay\n[local]\nLOCALPORT = 104 \n;c\n") << Write{"Local", "LocalPort", "109"}
            << QByteArray("; relay\n[local]\nLOCALPORT = 109\n;c\n");
        QTest::newRow("replaced in place without line ending")
            << QByteArray("[A]\r\nk=old") << Write{"A", "K", "new"} << QByteArray("[A]\r\nk=new");
        QTest::newRow("empty value replaced") << QByteArray("[A]\r\nk=  \r\nz=1\r\n") << Write{"A", "k", "v"}
                                              << QByteArray("[A]\r\nk=v\r\nz=1\r\n");
        QTest::newRow("first of two sections written")
            << QByteArray("[A]\r\nx=1\r\n[B]\r\n[a]\r\nx=2\r\n") << Write{"A", "y", "3"}
            << QByteArray("[A]\r\nx=1\r\ny=3\r\n[B]\r\n[a]\r\nx=2\r\n");
        QTest::newRow("key before any section untouched") << QByteArray("k=0\r\n[A]\r\n") << Write{"A", "k", "1"}
                                                          << QByteArray("k=0\r\n[A]\r\nk=1\r\n");
        QTest::newRow("line breaks in a value become blanks")
            << QByteArray() << Write{"A", "k", "a\r\n[B]\nb"} << QByteArray("[A]\r\nk=a  [B] b\r\n");
        QTest::newRow("NUL ends a value") << QByteArray() << Write{"A", "k", QStringLiteral("ab") + QChar(0) + "cd"}
                                          << QByteArray("[A]\r\nk=ab\r\n");

        const QByteArray odd("\xEF\xBB\xBF; made by hand\r\n"
                             "orphan=1\n"
                             "\r\n"
                             "[Archive]   \r\n"
                             "  AET\t=  ARCHIVE\r\n"
                             "garbage line without equals\r\n"
                             "IP=10.0.0.5\n"
                             "[Operator]\r\n"
                             "Operator1=Checked|J\xFCrgen|Wei\xDF|JW\r\n"
                             "  \t\r\n"
                             "; end");
        QByteArray oddAfter = odd;
        oddAfter.replace("IP=10.0.0.5\n", "IP=10.0.0.6\n");
        QTest::newRow("every other byte of an odd file kept") << odd << Write{"archive", "ip", "10.0.0.6"} << oddAfter;
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(Write, write);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            QVERIFY(TestFiles::write(m_ini, before));

        QVERIFY(WriteIniString(write.section, write.key, write.value, m_ini));
        QCOMPARE(TestFiles::read(m_ini), after);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Settings.ini"});
    }

    void windows1252RoundTrip()
    {
        const QString name = QStringLiteral("Jürgen Weiß");
        const QString high = QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ");
        QVERIFY(WriteIniString(QStringLiteral("Prüfung"), QStringLiteral("Name"), name, m_ini));
        QVERIFY(WriteIniString(QStringLiteral("Prüfung"), QStringLiteral("High"), high, m_ini));
        QVERIFY(WriteIniString(QStringLiteral("Prüfung"), QStringLiteral("Lost"), QStringLiteral("Ā😀"), m_ini));

        QCOMPARE(TestFiles::read(m_ini), QByteArray("[Pr\xFC""fung]\r\nName=J\xFCrgen Wei\xDF\r\n"
                                                    "High=\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"
                                                    "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F\r\n"
                                                    "Lost=??\r\n"));
        QCOMPARE(ReadIniString(QStringLiteral("PRÜFUNG"), QStringLiteral("name"), {}, m_ini, 256), name);
        QCOMPARE(ReadIniString(QStringLiteral("Prüfung"), QStringLiteral("High"), {}, m_ini, 256), high);
    }

    void batchEqualsOneByOne_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<Writes>("writes");

        const Writes settings{{"Archive", "AET", "ARCHIVE"}, {"Archive", "IP", "10.0.0.5"},
                              {"Archive", "Port", "104"},    {"Local", "LocalAET", "RELAY"},
                              {"Local", "LocalPort", "109"}, {"Local", "Debugmode", "0"}};
        Writes operators;
        for (int i = 1; i <= 4; ++i) {
            const QString key = QStringLiteral("Operator%1").arg(i);
            operators.append({"Operator", key, QStringLiteral("|Vorname%1|Müller|V%1").arg(i)});
            operators.append({"Operator", "OperatorCount", QString::number(i)});
        }

        QTest::newRow("no file") << QByteArray() << settings + operators;
        QTest::newRow("LF file without final line ending")
            << QByteArray("[local]\nlocalport=1\n\n[Operator]\nOperator2=x\nOPERATORCOUNT=9") << settings + operators;
        QTest::newRow("duplicate sections and trailing blanks")
            << QByteArray("x=1\r\n[Operator]\r\n\r\n[Archive]\r\n;c\r\n\r\n[operator]\r\nOperator1=old\r\n\r\n")
            << operators + settings + operators;
        // Keys that do not read back as themselves: lines that turn into
        // section headers (when appended, when replaced in place), a key
        // holding '=', one with blanks, a comment.
        QTest::newRow("keys that change the file's structure")
            << QByteArray("[A]\r\nk=1\r\n[B]\r\n")
            << Writes{{"A", "[x", "y]"}, {"A", "k", "2"},    {"x", "z", "3"},  {"A", "a=b", "4"},
                      {"A", "a=b", "5"}, {" A ", " k ", "6"}, {"A", ";c", "7"}, {"B", "[q", "r"},
                      {"B", "[q", "s]"}, {"B", "q", "t"}};
    }

    void batchEqualsOneByOne()
    {
        QFETCH(QByteArray, before);
        QFETCH(Writes, writes);
        const QString batchIni = m_dir->filePath(QStringLiteral("Batch.ini"));
        if (!before.isNull()) {
            QVERIFY(TestFiles::write(m_ini, before));
            QVERIFY(TestFiles::write(batchIni, before));
        }

        IniWriteBatch batch(batchIni);
        for (const Write& w : writes) {
            QVERIFY(WriteIniString(w.section, w.key, w.value, m_ini));
            batch.write(w.section, w.key, w.value);
        }
        QVERIFY(batch.commit());
        QCOMPARE(TestFiles::read(batchIni), TestFiles::read(m_ini));
    }

    void batchWithoutWritesCreatesNothing()
    {
        IniWriteBatch batch(m_ini);
        QVERIFY(batch.commit());
        QVERIFY(!QFile::exists(m_ini));
    }

    void writeKeepsPermissions()
    {
        QVERIFY(TestFiles::write(m_ini, "[A]\r\n"));
        const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(m_ini, permissions));
        QVERIFY(WriteIniString("A", "k", "v", m_ini));
        const auto modeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                              | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                              | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        QCOMPARE(QFile::permissions(m_ini) & modeBits, permissions);
    }

    void readOnlyFileIsNotWritten()
    {
        const QByteArray before("[A]\r\nk=old\r\n");
        QVERIFY(TestFiles::write(m_ini, before));
        QVERIFY(QFile::setPermissions(m_ini, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));

        QVERIFY(!WriteIniString("A", "k", "new", m_ini));
        IniWriteBatch batch(m_ini);
        batch.write("A", "k", "new");
        QVERIFY(!batch.commit());

        QCOMPARE(TestFiles::read(m_ini), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Settings.ini"});
        QVERIFY(QFile::setPermissions(m_ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }

    void readOnlyFolderIsNotWritten()
    {
        if (TestFiles::runningAsRoot())
            QSKIP("permission bits do not stop root; the unusable folder case covers the failure");
        const QByteArray before("[A]\r\nk=old\r\n");
        QVERIFY(TestFiles::write(m_ini, before));
        const auto writable = QFile::permissions(m_dir->path());
        QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const bool written = WriteIniString("A", "k", "new", m_ini);
        QVERIFY(QFile::setPermissions(m_dir->path(), writable));
        QVERIFY(!written);
        QCOMPARE(TestFiles::read(m_ini), before);
    }

    void unusableFolderFails()
    {
        // The file's folder is a regular file: no file can be made in it.
        const QString notAFolder = m_dir->filePath(QStringLiteral("Program"));
        QVERIFY(TestFiles::write(notAFolder, "x"));
        QVERIFY(!WriteIniString("A", "k", "v", notAFolder + QStringLiteral("/Settings.ini")));
        QCOMPARE(TestFiles::read(notAFolder), QByteArray("x"));
    }

    void unreadableFileIsNotReplaced()
    {
        // A folder where the file should be: it cannot be read, so it must
        // not be replaced by a file holding only the new key.
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Settings.ini")));
        QVERIFY(TestFiles::write(m_ini + QStringLiteral("/inside"), "x"));
        QCOMPARE(ReadIniString("A", "k", "default", m_ini, 256), QStringLiteral("default"));
        QVERIFY(!IniReadSnapshot(m_ini).fileExists());
        QVERIFY(!WriteIniString("A", "k", "v", m_ini));
        QVERIFY(QFileInfo(m_ini).isDir());
        QCOMPARE(TestFiles::read(m_ini + QStringLiteral("/inside")), QByteArray("x"));
    }
};

QTEST_GUILESS_MAIN(tst_ProfileStrings)
#include "tst_profilestrings.moc"
