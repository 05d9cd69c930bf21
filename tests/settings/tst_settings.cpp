// The INI layer against the Windows profile-string rules, byte for byte, and
// Windows-1252 both ways; the settings LoadSettings reads from Settings.ini
// in the program folder, the numbers taken from them at use, and the lines
// of Log/Debug.txt there. fuzz/fuzz_ini.cpp checks on any file what holds
// everywhere: bytes unchanged when nothing is set, a write touching only its
// own line or adding CRLF lines, reads cut to the buffer, snapshots and
// batches (also empty ones) answering as single reads and writes. Here: which
// line, which bytes.

#include "DicomTools.h"
#include "settings/AppPaths.h"
#include "settings/Cp1252.h"
#include "settings/DebugLog.h"
#include "settings/NumberText.h"
#include "settings/ProfileStrings.h"
#include "settings/RelaySettings.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Every read looks into this file: CRLF and LF lines, the last one unended.
const QByteArray kReadFile("LocalPort=1\r\n" // before any section: in none
                          "  [ Local ] ; relay\r\n"
                          " \tDebugmode \t=\t 1\t \n"
                          "LocalPort=\r\n"
                          ";LocalAET=2\r\n"
                          "inner= a  b \r\n"
                          "dq=\" a \"\r\nsq='x'\r\nmixed=\"x'\r\nlone=\"\r\neq=a=b\r\n"
                          "k=1\r\nK=2\r\n"
                          "[local]\r\nLocalAET=TWO\r\n"
                          "[\xC4RZTE]\r\nSCHL\xDC" "SSEL=last");

} // namespace

class tst_Settings : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir; // a fresh one for every test: the program folder
    QString m_ini;
    QDateTime m_now; // the debug log's

private slots:
    void initTestCase() { SetDebugLogClock([this] { return m_now; }); }

    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_ini = m_dir->filePath(QStringLiteral("Settings.ini"));
        SetProgramFolderOverride(m_dir->path());
    }

    void read_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // "-": the default
        QTest::newRow("header with blanks; blanks, tabs around key and value") << "Local" << "Debugmode" << "1";
        QTest::newRow("empty value is no default; key before any section") << "Local" << "LocalPort" << "";
        QTest::newRow("a comment is no key") << "Local" << ";LocalAET" << "-";
        QTest::newRow("first of two sections counts") << "Local" << "LocalAET" << "-";
        QTest::newRow("blanks inside a value kept") << "Local" << "inner" << "a  b";
        QTest::newRow("double quotes dropped") << "Local" << "dq" << " a ";
        QTest::newRow("single quotes dropped") << "Local" << "sq" << "x";
        QTest::newRow("mixed quotes kept") << "Local" << "mixed" << "\"x'";
        QTest::newRow("lone quote kept") << "Local" << "lone" << "\"";
        QTest::newRow("value holding '='") << "Local" << "eq" << "a=b";
        QTest::newRow("first of two keys counts, any case") << "LOCAL" << "K" << "1";
        QTest::newRow("umlauts in any case, unended line") << "Ärzte" << "Schlüssel" << "last";
        QTest::newRow("no section") << "Archive" << "AET" << "-";
    }

    void read()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QVERIFY(TestFiles::Write(m_ini, kReadFile));
        QCOMPARE(ReadIniString(section, key, QStringLiteral("-"), m_ini, 256), expected);
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QStringList>("write"); // section, key, value
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char* tag, const QByteArray& before, const QStringList& set, const QByteArray& after) {
            QTest::newRow(tag) << before << set << after;
        };
        row("section at the end, after blank lines", "[A]\r\nx=1\r\n\r\n", {"B", "k", "v"},
            "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n");
        row("unended last line ended first", "[A]\nx=1", {"B", "k", "v"}, "[A]\nx=1\r\n[B]\r\nk=v\r\n");
        row("key after the last non-blank line of the first such section; BOM, key before it kept",
            "\xEF\xBB\xBFy=0\r\n[A]\r\nx=1\r\n; about A\r\n\r\n[B]\r\n[a]\r\n", {"a", "y", "2"},
            "\xEF\xBB\xBFy=0\r\n[A]\r\nx=1\r\n; about A\r\ny=2\r\n\r\n[B]\r\n[a]\r\n");
        row("key into an empty unended section", "[A]", {"A", "y", "2"}, "[A]\r\ny=2\r\n");
        row("in place: spelling, blanks, LF kept", "; relay\n[local]\nLOCALPORT = 104 \n;c\n",
            {"Local", "LocalPort", "109"}, "; relay\n[local]\nLOCALPORT = 109\n;c\n");
        row("in place: blanks of an empty value dropped", "[A]\r\nk=  \r\nz=1\r\n", {"A", "k", "v"},
            "[A]\r\nk=v\r\nz=1\r\n");
        row("file created; line breaks become blanks, NUL ends", QByteArray(),
            {"A", "k", QStringLiteral("a\r\n[B]\nb") + QChar(0) + "c"}, "[A]\r\nk=a  [B] b\r\n");
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, write);
        QFETCH(QByteArray, after);
        if (!before.isNull())
            QVERIFY(TestFiles::Write(m_ini, before));
        QVERIFY(WriteIniString(write[0], write[1], write[2], m_ini));
        QCOMPARE(TestFiles::Read(m_ini), after);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Settings.ini"}); // no temporary file left
    }

    void windows1252()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        bool lossless = false;
        QCOMPARE(EncodeCp1252(DecodeCp1252(all), &lossless), all);
        QVERIFY(lossless);
        const QByteArray high("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"
                              "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F\x81\x8D\x8F\x90\x9D");
        QCOMPARE(DecodeCp1252(high), QStringLiteral("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ\u0081\u008D\u008F\u0090\u009D"));

        // Outside the code page: one '?' per character (tst_dialogs: typing
        // such characters is refused).
        QVERIFY(WriteIniString("Prüfung", "Name", "Jürgen Weiß € ĀЖ😀\u0080", m_ini));
        QCOMPARE(TestFiles::Read(m_ini), QByteArray("[Pr\xFC" "fung]\r\nName=J\xFCrgen Wei\xDF \x80 ????\r\n"));
        QCOMPARE(ReadIniString("Prüfung", "none", "Ā€", m_ini, 256), QStringLiteral("?€")); // the default too
    }

    // A folder that takes no temporary file: the save fails, never writing
    // the file in place. (A read-only file: tst_dialogs, tst_mainwindow; a
    // save keeping the file's permissions is QSaveFile's.)
    void folderNotWritable()
    {
#ifdef Q_OS_UNIX
        // Permission bits do not stop root: there this check runs in a child,
        // this program again after it gave up root for nobody.
        if (geteuid() == 0) {
            const auto child = quorin::test::RunTool(QStringLiteral("setpriv"),
                                                     {"--reuid=65534", "--regid=65534", "--clear-groups",
                                                      QCoreApplication::applicationFilePath(), "folderNotWritable"}, 60000);
            QVERIFY2(child.succeeded() && child.output.contains("PASS   : tst_Settings::folderNotWritable()"),
                     qPrintable(child.output));
            return;
        }
#else
        QSKIP("A Windows folder's read-only attribute does not stop files being made in it; only an ACL would.");
#endif
        QVERIFY(TestFiles::Write(m_ini, "[A]\r\nk=old\r\n"));
        const auto writable = QFile::permissions(m_dir->path());
        QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const bool written = WriteIniString("A", "k", "new", m_ini);
        QVERIFY(QFile::setPermissions(m_dir->path(), writable));
        QVERIFY(!written);
        QCOMPARE(TestFiles::Read(m_ini), QByteArray("[A]\r\nk=old\r\n"));
    }

    void unreadableFileIsNotReplaced()
    {
#ifdef Q_OS_UNIX
        // A named pipe is no file to read, even for root. It reads as no file,
        // yet is not replaced by a file holding only the new key.
        QCOMPARE(mkfifo(QFile::encodeName(m_ini).constData(), 0600), 0);
        QVERIFY(!IniReadSnapshot(m_ini).fileExists());
        QVERIFY(!WriteIniString("A", "k", "v", m_ini));
        QVERIFY(QFileInfo(m_ini).exists() && !QFileInfo(m_ini).isFile());
#else
        QSKIP("Named pipes are POSIX's.");
#endif
    }

    // The keys, in any case; the text as it is, 300 characters read as their
    // first 255 (a TLS file's path 1023); the defaults of missing keys. The
    // reading rules are read()'s.
    void load()
    {
        const QByteArray aet = "RELAY" + QByteArray(295, 'x');
        const QByteArray key = "keys/" + QByteArray(295, 'k') + ".pem";
        QVERIFY(TestFiles::Write(m_ini, "[archive]\r\naet=ARCHIVE\r\nIP=10.0.0.5\r\nPort=0104\r\ntls=1\r\nTLSPrivateKey="
                                            + key + "\r\n[LOCAL]\r\nLOCALAET=" + aet + "\r\n"));
        const RelaySettings s = LoadSettings();
        QCOMPARE((QStringList{s.ArchiveAET, s.ArchiveIP, s.ArchivePort, s.LocalAET, s.LocalPort, s.Debugmode}),
                 (QStringList{"ARCHIVE", "10.0.0.5", "0104", QString::fromLatin1(aet.left(255)), "109", "0"}));
        QCOMPARE((QStringList{s.Tls.TLS, s.Tls.TLSCertificate, s.Tls.TLSPrivateKey, s.Tls.TLSVerifyArchive}),
                 (QStringList{"1", "", QString::fromLatin1(key), ""}));
        QCOMPARE(TlsFilePath(s.Tls.TLSPrivateKey), QDir(ProgramFolder()).filePath(QString::fromLatin1(key)));
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("int32"); // "-": no number
        QTest::addColumn<QString>("int16");
        QTest::addColumn<QString>("debug"); // "1" on, "0" off, "-"
        QTest::newRow("zeros, blanks, a zero fraction") << " 0104.00 " << "104" << "104" << "0";
        QTest::newRow("one, sign and zeros") << "+01" << "1" << "1" << "1";
        QTest::newRow("one with a zero fraction") << " +1.0 " << "1" << "1" << "1";
        QTest::newRow("a fraction: a number, no integer") << "1.5" << "-" << "-" << "0";
        QTest::newRow("16-bit maximum") << "32767" << "32767" << "32767" << "0";
        QTest::newRow("beyond 16 bits") << "32768" << "32768" << "-" << "0";
        QTest::newRow("16-bit minimum") << "-32768" << "-32768" << "-32768" << "0";
        QTest::newRow("32-bit minimum") << "-2147483648" << "-2147483648" << "-" << "0";
        QTest::newRow("beyond 32 bits") << "2147483648" << "-" << "-" << "0";
        QTest::newRow("2^64 + 104, no wrap-around") << "18446744073709551720" << "-" << "-" << "0";
        for (const char* text : {"", "  ", "-", ".", "ja", "104a", "1 0", "1,0", "1.0.0", "\xD9\xA1" /* Arabic one */})
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
        QCOMPARE(show(IsDebugModeOn(text)), debug);
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
        QCOMPARE(TestFiles::Read(m_dir->filePath("Log/Debug.txt")),
                 QByteArray("05.12.2026 14:03:07 - Send to ARCHIVE - 10.0.0.5 - 104\r\n05.12.2026 - J\xFCrgen \x80 ?\r\n"
                            "05.12.2026 00:00:01 - \r\n05.12.2026 23:59:59 - x\r\n"));
    }
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
