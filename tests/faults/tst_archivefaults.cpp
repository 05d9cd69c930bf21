// The archive fails while a real sender (storescu) sends through the relay
// as the application runs it (app/ImageRelay on this, the GUI, thread): the
// archive is down, rejects the association, fails the store, is killed in
// the middle of a large image, never answers the association, or stops
// after it (no answer, or no more reading). Each time the sender must hear
// a failure, the GUI thread must keep running, and the relay must work again
// once the archive does. Over the whole run no image may be acknowledged to
// its sender that the archive does not hold.

#include "AcknowledgementLedger.h"
#include "AppRelayStation.h"
#include "ArchivePeers.h"
#include "DicomTools.h"
#include "EventLoopGaps.h"
#include "EventLoopWait.h"
#include "FaultyArchive.h"
#include "LoopbackPorts.h"
#include "RelayHarness.h"
#include "SilentPeer.h"
#include "TestImages.h"
#include "dicom/internal/ArchiveTimeLimits.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorin::test;
using quorin::dicom::ArchiveTimeLimits;

namespace {

// Short enough for a test, long enough for a loaded machine's loopback.
const ArchiveTimeLimits kShortLimits{2, 2, 2};
const QString kRefused = QStringLiteral("Received Store Response (Refused: OutOfResources)");

} // namespace

class tst_ArchiveFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void archiveDown();
    void archiveRejectsTheAssociation();
    void archiveFailsTheStore();
    void archiveKilledInTheMiddleOfALargeImage();
    void archiveNeverAnswersTheAssociation();
    void archiveStopsAfterTheAssociation_data();
    void archiveStopsAfterTheAssociation();

private:
    QString newImage();
    // storescu -v -nh sends `files` on one association while the GUI
    // thread's gaps are measured; `whileSending` runs (event loop alive)
    // while the sender is still at work.
    ToolRun send(const QString& fault, const QStringList& files, const std::function<void()>& whileSending = {});
    void verifyFailedAndAcknowledgedNothing(const ToolRun& run, int images);
    void verifyRelaysAgain(const QString& archiveFolder);

    QTemporaryDir m_images;
    std::unique_ptr<TestImages> m_factory;
    std::unique_ptr<AppRelayStation> m_station;
    AcknowledgementLedger m_ledger;
    // Per fault, for the summary; and of the last send, for its checks.
    QMap<QString, qint64> m_largestGapMs;
    QMap<QString, qint64> m_answerMs;
    qint64 m_lastGapMs = 0;
    qint64 m_lastSendMs = 0;
};

void tst_ArchiveFaults::initTestCase()
{
    QVERIFY(m_images.isValid());
    m_factory = std::make_unique<TestImages>(m_images.path());
    quorin::dicom::setArchiveTimeLimits(kShortLimits);
}

void tst_ArchiveFaults::init()
{
    m_station = std::make_unique<AppRelayStation>();
}

void tst_ArchiveFaults::cleanup()
{
    m_station.reset();
    QVERIFY2(waitForNoTemporaryFiles(), qPrintable(leftoverTemporaryFiles().join(u' ')));
}

void tst_ArchiveFaults::cleanupTestCase()
{
    quorin::dicom::setArchiveTimeLimits(quorin::dicom::defaultArchiveTimeLimits());
    for (auto it = m_largestGapMs.cbegin(); it != m_largestGapMs.cend(); ++it)
        qInfo("%-32s largest GUI gap %4lld ms, sender answered after %5lld ms", qPrintable(it.key()), it.value(),
              m_answerMs.value(it.key()));
    qInfo("acknowledged images %d, acknowledged but missing from the archive %d", m_ledger.acknowledgedTotal(),
          m_ledger.missingTotal());
    QCOMPARE(m_ledger.missingTotal(), 0);
}

QString tst_ArchiveFaults::newImage()
{
    static int number = 0;
    return m_factory->make(QStringLiteral("image-%1.dcm").arg(++number));
}

ToolRun tst_ArchiveFaults::send(const QString& fault, const QStringList& files,
                                const std::function<void()>& whileSending)
{
    EventLoopGaps gaps;
    QElapsedTimer clock;
    clock.start();
    gaps.start();
    auto sender = startStorescu(m_station->port(), files, {QStringLiteral("-v"), QStringLiteral("-nh")});
    if (whileSending)
        whileSending();
    const ToolRun run = sender->result(120000);
    gaps.stop();
    m_lastGapMs = gaps.largestGapMs();
    m_lastSendMs = clock.elapsed();
    m_largestGapMs[fault] = m_lastGapMs;
    m_answerMs[fault] = m_lastSendMs;
    m_ledger.record(files, run.output);
    return run;
}

void tst_ArchiveFaults::verifyFailedAndAcknowledgedNothing(const ToolRun& run, int images)
{
    QVERIFY2(run.finished && !run.crashed, qPrintable(run.output));
    QCOMPARE(run.output.count(kRefused), images);
    QVERIFY(!run.output.contains(QStringLiteral("Received Store Response (Success)")));
    QVERIFY(m_station->transferMessages() >= 1);
    // The GUI thread kept running: never stalled for more than a few ticks.
    QVERIFY2(m_lastGapMs < 1000, qPrintable(QStringLiteral("%1 ms").arg(m_lastGapMs)));
}

void tst_ArchiveFaults::verifyRelaysAgain(const QString& archiveFolder)
{
    const QString image = newImage();
    const ToolRun run = storescu(m_station->port(), {image}, {QStringLiteral("-v")});
    QVERIFY2(run.succeeded(), qPrintable(run.output));
    QCOMPARE(m_ledger.record({image}, run.output), 1);
    QCOMPARE(m_ledger.settle(archiveFolder), 0);
}

void tst_ArchiveFaults::archiveDown()
{
    QVERIFY(m_station->start(freeLoopbackPort())); // nothing listens there
    const ToolRun run = send(QStringLiteral("down"), {newImage(), newImage()});
    verifyFailedAndAcknowledgedNothing(run, 2);

    FaultyArchive archive;
    QVERIFY(archive.start());
    m_station->setArchivePort(archive.port());
    verifyRelaysAgain(archive.folder());
    QCOMPARE(archive.storedFiles().size(), 1);
}

void tst_ArchiveFaults::archiveRejectsTheAssociation()
{
    StorescpOptions refusing;
    refusing.refuseAssociations = true;
    StorescpArchive rejecting(refusing);
    QVERIFY(rejecting.start());
    QVERIFY(m_station->start(rejecting.port()));
    const ToolRun run = send(QStringLiteral("association rejected"), {newImage()});
    verifyFailedAndAcknowledgedNothing(run, 1);
    QVERIFY(rejecting.storedFiles().isEmpty());
    QCOMPARE(m_ledger.settle(rejecting.folder()), 0);

    FaultyArchive archive;
    QVERIFY(archive.start());
    m_station->setArchivePort(archive.port());
    verifyRelaysAgain(archive.folder());
}

// storescp without its output folder answers each store with its own
// failure status (it logs that it could not create the file).
void tst_ArchiveFaults::archiveFailsTheStore()
{
    FaultyArchive archive;
    QVERIFY(archive.start());
    QVERIFY(archive.removeOutputFolder());
    QVERIFY(m_station->start(archive.port()));
    const ToolRun run = send(QStringLiteral("store failure status"), {newImage(), newImage()});
    verifyFailedAndAcknowledgedNothing(run, 2);
    QCOMPARE(archive.output().count(QStringLiteral("Cannot create file")), 2);

    QVERIFY(archive.restoreOutputFolder());
    verifyRelaysAgain(archive.folder());
}

// The archive is paused once its file of the image holds a megabyte (so
// the image is certainly on its way and not yet through), then killed.
void tst_ArchiveFaults::archiveKilledInTheMiddleOfALargeImage()
{
    ImageRecipe large;
    large.rows = 4096;
    large.columns = 4096;
    large.frames = 3; // 96 MB of pixel data
    const QString image = m_factory->make(QStringLiteral("large.dcm"), large);
    QVERIFY(!image.isEmpty());
    const qint64 imageBytes = QFileInfo(image).size();
    FaultyArchive archive;
    QVERIFY(archive.start());
    QVERIFY(m_station->start(archive.port()));

    qint64 bytesAtKill = -1;
    const ToolRun run = send(QStringLiteral("killed mid-image"), {image}, [&] {
        const auto streaming = [&] {
            const QStringList files = archive.storedFiles();
            return !files.isEmpty() && QFileInfo(files.first()).size() >= 1024 * 1024;
        };
        if (!waitUntil(streaming, 60000))
            return;
        archive.pause();
        bytesAtKill = QFileInfo(archive.storedFiles().first()).size();
        archive.kill();
    });
    QVERIFY2(bytesAtKill >= 0 && bytesAtKill < imageBytes,
             qPrintable(QStringLiteral("%1 of %2 bytes").arg(bytesAtKill).arg(imageBytes)));
    qInfo("archive killed after %lld of %lld bytes", bytesAtKill, imageBytes);
    verifyFailedAndAcknowledgedNothing(run, 1);

    QVERIFY(archive.start());
    verifyRelaysAgain(archive.folder());
    QFile::remove(image);
}

// A peer that accepts the connection and never answers the association
// request: the relay gives up after its ACSE time limit.
void tst_ArchiveFaults::archiveNeverAnswersTheAssociation()
{
    SilentPeer silent;
    QVERIFY(silent.listen());
    QVERIFY(m_station->start(silent.port()));
    const ToolRun run = send(QStringLiteral("association never answered"), {newImage()});
    verifyFailedAndAcknowledgedNothing(run, 1);
    QVERIFY(silent.connections() >= 1 && silent.bytesRead() > 0);
    QVERIFY(m_lastSendMs >= kShortLimits.acseSeconds * 1000);

    FaultyArchive archive;
    QVERIFY(archive.start());
    m_station->setArchivePort(archive.port());
    verifyRelaysAgain(archive.folder());
}

// The first image is stored; then the archive stops (SIGSTOP) with the
// association open. A small second image fits into the socket buffers and
// its answer never comes; a large one stalls the relay's writes. Both run
// with the relay's real time limits against storescu's own (it gives up
// after 60 s without an answer): the sender must still hear the failure.
void tst_ArchiveFaults::archiveStopsAfterTheAssociation_data()
{
    QTest::addColumn<int>("secondImageRows");
    QTest::newRow("answer never comes") << 64;
    QTest::newRow("stops reading a large image") << 4096; // 32 MB
}

void tst_ArchiveFaults::archiveStopsAfterTheAssociation()
{
    QFETCH(int, secondImageRows);
    quorin::dicom::setArchiveTimeLimits(quorin::dicom::defaultArchiveTimeLimits());
    const auto restoreShortLimits = qScopeGuard([] { quorin::dicom::setArchiveTimeLimits(kShortLimits); });
    ImageRecipe second;
    second.rows = secondImageRows;
    second.columns = secondImageRows;
    const QStringList images{newImage(), m_factory->make(QStringLiteral("second.dcm"), second)};
    QVERIFY(!images.last().isEmpty());
    FaultyArchive archive;
    QVERIFY(archive.start());
    m_station->setBeforeHandling([&] {
        if (m_station->imagesRaised() == 2)
            archive.pause();
    });
    QVERIFY(m_station->start(archive.port()));

    const ToolRun run = send(QString::fromLatin1(QTest::currentDataTag()), images);
    QVERIFY2(run.output.count(QStringLiteral("Received Store Response (Success)")) == 1, qPrintable(run.output));
    QVERIFY2(run.output.count(kRefused) == 1, qPrintable(run.output));
    QVERIFY(m_lastSendMs < 60000);
    QVERIFY2(m_lastGapMs < 1000, qPrintable(QStringLiteral("%1 ms").arg(m_lastGapMs)));

    archive.resume();
    m_station->setBeforeHandling({});
    verifyRelaysAgain(archive.folder());
    QFile::remove(images.last());
}

QTEST_MAIN(tst_ArchiveFaults)
#include "tst_archivefaults.moc"
