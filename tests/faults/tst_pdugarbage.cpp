// Garbage on the listening port: thousands of random and mutated PDUs (see
// PduGarbage) over short loopback connections, some ending with a reset.
// The relay must not crash, its memory must stay flat, and a normal image
// must be relayed afterwards.

#include "ArchivePeers.h"
#include "CapturedExchange.h"
#include "DicomTools.h"
#include "GarbageRun.h"
#include "RelayHarness.h"
#include "ResidentMemory.h"
#include "TestImages.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quorin::test;

namespace {

const int kWarmUpPdus = 500;
const int kPdus = 10000;
// Under AddressSanitizer (full allocation stacks) about 80 PDUs a second:
// there the run ends by time.
const int kTimeLimitMs = residentGrowthTellsLeaks() ? 60000 : 30000;
// Growth allowed over the run: the allocator keeps some freed memory, the
// toolkit and Qt fill caches on first use; a leak per connection would
// show as many megabytes.
const qint64 kAllowedGrowthKiB = 8 * 1024;

} // namespace

class tst_PduGarbage : public QObject {
    Q_OBJECT

private slots:
    void garbageLeavesTheRelayWorkingAndItsMemoryFlat()
    {
        QTemporaryDir images;
        QVERIFY(images.isValid());
        TestImages factory(images.path());
        StorescpArchive archive;
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.port());
        QVERIFY(relay.start());
        const CapturedExchange model = captureExchange(relay.port(), factory.make(QStringLiteral("model.dcm")));
        QVERIFY(model.isValid());

        PduGarbage garbage(model, 20240607);
        sendGarbage(relay.port(), garbage, kWarmUpPdus, kTimeLimitMs);
        QVERIFY(waitForNoTemporaryFiles(10000));
        const qint64 before = residentKiB();
        const GarbageFigures figures = sendGarbage(relay.port(), garbage, kPdus, kTimeLimitMs);
        QVERIFY(waitForNoTemporaryFiles(10000));
        const qint64 after = residentKiB();
        qInfo("%d garbage PDUs on %d connections (%d cut short by the relay) in %lld ms", figures.garbagePdus,
              figures.connections, figures.cutShort, figures.elapsedMs);
        qInfo("resident memory %lld KiB before, %lld KiB after (%+lld KiB); images raised %d", before, after,
              after - before, relay.imagesRaised());
        QVERIFY(figures.garbagePdus >= kPdus || figures.elapsedMs >= kTimeLimitMs);
        if (before > 0 && residentGrowthTellsLeaks())
            QVERIFY2(after - before < kAllowedGrowthKiB, qPrintable(QString::number(after - before)));

        const int storedBefore = archive.storedFiles().size();
        const ToolRun run = storescu(relay.port(), {factory.make(QStringLiteral("after.dcm"))});
        QVERIFY2(run.succeeded(), qPrintable(QStringLiteral("finished %1, exit code %2: %3")
                                                  .arg(run.finished).arg(run.exitCode).arg(run.output)));
        QCOMPARE(archive.storedFiles().size(), storedBefore + 1);
    }
};

QTEST_GUILESS_MAIN(tst_PduGarbage)
#include "tst_pdugarbage.moc"
