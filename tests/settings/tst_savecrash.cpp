// A save killed at any point leaves Settings.ini as one complete file: the
// one before the save or the one it writes, never a mix or a truncated file.
// Saves go through a temporary file and a rename (which temporary files a
// crash leaves is Qt's and the file system's affair), and the next save is
// not disturbed by the crashes. The child that is killed is this program,
// started with --save-three <Settings.ini> under strace, which kills it as
// it enters the chosen system call. It announces each save on stderr (one
// write) right before the save begins; the last announcement tells which
// save the kill came in.

#include "DicomTools.h"
#include "operators/OperatorStorage.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

// Before the first save: fewer operator rows than a save writes, between
// other sections, so that the first save inserts lines and later ones
// replace values.
const QByteArray kInitial("[Archive]\r\nAET=ARCHIVE\r\n[Operator]\r\nOperatorCount=1\r\n"
                         "Operator1=Checked|Alt|Alt|AA\r\n[Local]\r\nLocalPort=104\r\n");

// Save n writes list n % 2: long, so that a mix of two saves would show;
// the two lists differ in every row.
QList<OperatorEntry> List(int n)
{
    return QList<OperatorEntry>(3000, {QString(), QStringLiteral("Run%1").arg(n % 2), "Nachname", "K"});
}

} // namespace

class tst_SaveCrash : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // Where a save goes, by the system calls it makes on Linux: a temporary
    // file (O_TMPFILE) given the file's permissions, its bytes written,
    // synced, linked under a name beside the file, renamed over it.
    void killedSavesLeaveOneCompleteFile_data()
    {
        QTest::addColumn<QString>("killAt"); // system call, its nth call in the child (writes: announcements too)
        QTest::addColumn<int>("savesDone"); // the kill comes in the next save; the file is this one's (0: the initial one)
        QTest::newRow("temporary file made, empty") << "fchmod:1" << 0;
        QTest::newRow("bytes about to be written") << "write:2" << 0;
        QTest::newRow("written, not yet on disk") << "fdatasync:1" << 0;
        QTest::newRow("on disk, named beside the file") << "rename:1" << 0;
        QTest::newRow("renamed; the next save begins") << "fchmod:2" << 1;
        QTest::newRow("second save about to replace the first") << "rename:2" << 1;
    }

    void killedSavesLeaveOneCompleteFile()
    {
        QFETCH(QString, killAt);
        QFETCH(int, savesDone);
        QVERIFY(m_dir.isValid());
        const QString ini = m_dir.filePath(QStringLiteral("Settings.ini"));
        QVERIFY(TestFiles::Write(ini, kInitial));
        if (savesDone > 0)
            QVERIFY(WriteOperatorEntries(ini, List(savesDone)));
        const QByteArray expected = TestFiles::Read(ini);
        QVERIFY(TestFiles::Write(ini, kInitial));

        const QString inject = QStringLiteral("inject=%1:signal=SIGKILL:when=%2").arg(killAt.section(u':', 0, 0), killAt.section(u':', 1));
        const auto child = quorin::test::RunTool(QStringLiteral("strace"),
                                                 {"-f", "-qq", "-o", "/dev/null", "-e", inject,
                                                  QCoreApplication::applicationFilePath(), "--save-three", ini}, 30000);
        // strace ends as its child did: killed, in save savesDone + 1.
        QVERIFY2(child.crashed, qPrintable(child.output));
        QCOMPARE(child.output.trimmed().split(u'\n').last(), QStringLiteral("save %1").arg(savesDone + 1));
        QCOMPARE(TestFiles::Read(ini), expected);

        QVERIFY(WriteOperatorEntries(ini, List(0)));
        QCOMPARE(TestFiles::Read(ini).count("Run0"), 3000);
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--save-three") == 0) {
        // The child: three saves, unless it is killed first.
        for (int n = 1; n <= 3; ++n) {
            std::fprintf(stderr, "save %d\n", n);
            if (!WriteOperatorEntries(QString::fromLocal8Bit(argv[2]), List(n)))
                return 1;
        }
        return 0;
    }
    QCoreApplication app(argc, argv);
    tst_SaveCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savecrash.moc"
