// A save killed at any moment leaves Settings.ini as one complete file:
// either the one before the save or the one the save writes, never a mix or
// a truncated file. The writer replaces the file through a temporary file
// and a rename; where the file system supports unnamed temporary files
// (O_TMPFILE) a crash leaves nothing else behind, elsewhere it may leave its
// temporary file ("Settings.ini.XXXXXX") beside it. Such leftovers must stay
// at one per crash and must not disturb the next save.

#include "operators/OperatorStorage.h"
#include "settings/ProfileStrings.h"
#include "tests/settings/SaveCrashList.h"
#include "tests/settings/TestFiles.h"

#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

constexpr int Kills = 20;
constexpr int MaxDelayMs = 50;
constexpr int WaitMs = 30000;

// The file before the first save: an operator section with fewer rows than
// the saves write, between other sections, so that the first save inserts
// lines and the later ones replace values.
const QByteArray Initial("[Archive]\r\nAET=ARCHIVE\r\n[Operator]\r\nOperatorCount=1\r\n"
                         "Operator1=Checked|Alt|Alt|AA\r\n[Local]\r\nLocalPort=104\r\n");

} // namespace

class tst_SaveCrash : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;     // the writer's folder
    QTemporaryDir m_scratch; // where the expected files are made
    QString m_ini;
    QHash<int, QByteArray> m_expected; // run -> the complete file of that save

    // The complete file that saving SaveCrash::List(run) over Initial gives:
    // every save writes the same keys, so the saves before it do not matter.
    QByteArray expectedFile(int run)
    {
        if (!m_expected.contains(run)) {
            const QString path = m_scratch.filePath(QStringLiteral("run%1.ini").arg(run));
            if (!TestFiles::write(path, Initial) || !WriteOperatorEntries(path, SaveCrash::List(run)))
                return {};
            m_expected.insert(run, TestFiles::read(path));
        }
        return m_expected.value(run);
    }

    // The run whose save the file claims to be, or 0.
    int claimedRun()
    {
        static const QRegularExpression runName(QStringLiteral("^Run(\\d+)$"));
        const QString first = ReadIniString(QStringLiteral("Operator"), QStringLiteral("Operator1"), QString(), m_ini, 256);
        const QRegularExpressionMatch match = runName.match(OperatorEntry::parse(first).FirstName);
        return match.hasMatch() ? match.captured(1).toInt() : 0;
    }

    QStringList leftovers() const
    {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeOne(QStringLiteral("Settings.ini"));
        return names;
    }

    // Starts the writer, waits for its first complete save, lets it save for
    // a while and kills it.
    void killWriterAfter(int delayMs)
    {
        QProcess writer;
        writer.start(QStringLiteral(SAVECRASH_WRITER), {m_ini});
        QVERIFY2(writer.waitForStarted(WaitMs), qPrintable(writer.errorString()));
        QVERIFY2(writer.waitForReadyRead(WaitMs), writer.readAllStandardError().constData());
        QThread::msleep(delayMs);
        writer.kill(); // SIGKILL to the writer we started
        QVERIFY(writer.waitForFinished(WaitMs));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_scratch.isValid());
        m_ini = m_dir.filePath(QStringLiteral("Settings.ini"));
    }

    void killedSavesLeaveOneCompleteFile()
    {
        QVERIFY(TestFiles::write(m_ini, Initial));
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("delay seed %u", seed);
        QRandomGenerator delays(seed);
        for (int kill = 1; kill <= Kills; ++kill) {
            killWriterAfter(int(delays.bounded(MaxDelayMs + 1)));
            if (QTest::currentTestFailed())
                return;
            const int run = claimedRun();
            QVERIFY2(run > 0, qPrintable(QStringLiteral("kill %1: no complete save").arg(kill)));
            QVERIFY2(TestFiles::read(m_ini) == expectedFile(run),
                     qPrintable(QStringLiteral("kill %1: not exactly the file of save %2").arg(kill).arg(run)));
            const QStringList left = leftovers();
            QVERIFY2(left.size() <= kill, qPrintable(left.join(QLatin1Char(' '))));
            for (const QString& name : left)
                QVERIFY2(name.startsWith(QStringLiteral("Settings.ini.")), qPrintable(name));
        }

        // A save after the crashes is not disturbed by what they left.
        const QStringList before = leftovers();
        QVERIFY(WriteOperatorEntries(m_ini, SaveCrash::List(1)));
        QCOMPARE(TestFiles::read(m_ini), expectedFile(1));
        QCOMPARE(leftovers(), before);
    }
};

QTEST_GUILESS_MAIN(tst_SaveCrash)
#include "tst_savecrash.moc"
