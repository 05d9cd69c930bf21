// A save killed at any moment leaves Settings.ini as one complete file: the
// one before the save or the one it writes, never a mix or a truncated file.
// Saves go through a temporary file and a rename (which temporary files a
// crash leaves is Qt's and the file system's affair), and the next save is
// not disturbed by the crashes. The child that is killed is this program,
// started with --save-loop <Settings.ini>.

#include "operators/OperatorStorage.h"
#include "TestFiles.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>

namespace {

// Before the first save: fewer operator rows than a save writes, between
// other sections, so that the first save inserts lines and later ones
// replace values.
const QByteArray Initial("[Archive]\r\nAET=ARCHIVE\r\n[Operator]\r\nOperatorCount=1\r\n"
                         "Operator1=Checked|Alt|Alt|AA\r\n[Local]\r\nLocalPort=104\r\n");

// Save n writes list n % 2: long, so that a save takes a while; the two
// lists differ in every row, so that a mix of both is neither.
QList<OperatorEntry> List(int n)
{
    return QList<OperatorEntry>(3000, {QString(), QStringLiteral("Run%1").arg(n % 2), "Nachname", "K"});
}

// The child: saves until it is killed (or a minute has passed). It says so
// after its first complete save, so that the kills land among the saves.
int SaveLoop(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    for (int n = 1; clock.elapsed() < 60000; ++n) {
        if (!WriteOperatorEntries(path, List(n))) {
            std::fprintf(stderr, "save %d failed\n", n);
            return 1;
        }
        if (n == 1) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
    return 0;
}

} // namespace

class tst_SaveCrash : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void killedSavesLeaveOneCompleteFile()
    {
        QVERIFY(m_dir.isValid());
        const QString ini = m_dir.filePath(QStringLiteral("Settings.ini"));
        QByteArrayList complete; // the file of list 0, of list 1
        for (int n : {0, 1}) {
            QVERIFY(TestFiles::write(ini, Initial) && WriteOperatorEntries(ini, List(n)));
            complete.append(TestFiles::read(ini));
        }
        QVERIFY(TestFiles::write(ini, Initial));

        for (int kill = 1; kill <= 20; ++kill) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save-loop"), ini});
            QVERIFY2(child.waitForReadyRead(30000), qPrintable(child.errorString() + child.readAllStandardError()));
            QThread::msleep(QRandomGenerator::global()->bounded(51)); // 0..50 ms into the saves
            child.kill(); // SIGKILL to the child started here
            QVERIFY(child.waitForFinished(30000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            QVERIFY2(complete.contains(TestFiles::read(ini)), qPrintable(QStringLiteral("kill %1").arg(kill)));
        }
        QVERIFY(WriteOperatorEntries(ini, List(0)));
        QCOMPARE(TestFiles::read(ini), complete[0]);
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--save-loop") == 0)
        return SaveLoop(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    tst_SaveCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_savecrash.moc"
