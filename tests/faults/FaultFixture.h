#pragma once
// What every fault test stands on: images made for it, the application's
// relay in front of a storescp archive, real exchanges captured once, and
// the archive's short time limits.

#include "AppRelayStation.h"
#include "ArchivePeers.h"
#include "FaultyArchive.h"
#include "RawSender.h"
#include "TestImages.h"
#include "dicom/internal/TimeLimits.h"

#include <QtTest>

namespace quorin::test {

// Short enough for a test, long enough for a loaded machine's loopback, and
// well beyond the longest stall the GUI thread may show.
const quorin::dicom::ArchiveTimeLimits kShortLimits{4, 4, 4};
enum Exchange { Small, Large, Jpeg2000 };

class FaultFixture : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_images.isValid());
        m_factory = std::make_unique<TestImages>(m_images.path());
        quorin::dicom::SetArchiveTimeLimits(kShortLimits);
        StorescpArchive archive;
        AppRelayStation station;
        QVERIFY(archive.start() && station.start(archive.port()));
        m_exchanges[Small] = CaptureExchange(station.port(), newImage());
        m_exchanges[Large] = CaptureExchange(station.port(), newImage(1600));
        m_exchanges[Jpeg2000] = CaptureExchange(station.port(), m_factory->jpeg2000Relabelled(newImage(), "j2k.dcm"), {"-xv"});
        for (const CapturedExchange& exchange : m_exchanges)
            QVERIFY(exchange.isValid());
    }

    void init()
    {
        m_station = std::make_unique<AppRelayStation>();
        m_archive = std::make_unique<StorescpArchive>();
        QVERIFY(m_archive->start() && m_station->start(m_archive->port()));
    }

    void cleanup()
    {
        m_station.reset();
        m_archive.reset();
        QVERIFY2(WaitForNoTemporaryFiles(), qPrintable(LeftoverTemporaryFiles().join(u' ')));
    }

protected:
    QString newImage(int rows = 64, int frames = 1)
    {
        static int number = 0;
        return m_factory->make(QStringLiteral("image-%1.dcm").arg(++number),
                               {.rows = rows, .columns = rows, .frames = frames});
    }

    // `alone`: the archive, empty before, must come to hold the image alone.
    void verifyNextImageIsRelayed(bool alone = true)
    {
        const QString image = newImage();
        const ToolRun run = Storescu(m_station->port(), {image}, {QStringLiteral("-v")});
        QVERIFY2(run.succeeded() && StoreResponses(run.output) == QStringList{QStringLiteral("Success")},
                 qPrintable(run.output));
        QCOMPARE(AcknowledgedButMissing({image}, run.output, m_archive->folder()), 0);
        // Bytes of a broken image the archive received may appear and go
        // after the sender's answer.
        QVERIFY2(!alone || WaitUntil([this] { return m_archive->storedFiles().size() == 1; }, 10000),
                 qPrintable(m_archive->storedFiles().join(u' ')));
    }

    QTemporaryDir m_images;
    std::unique_ptr<TestImages> m_factory;
    std::unique_ptr<AppRelayStation> m_station;
    std::unique_ptr<StorescpArchive> m_archive;
    CapturedExchange m_exchanges[3]; // 64 x 64 in one PDU; 1600 x 1600 (5 MB); 64 x 64 JPEG 2000
};

} // namespace quorin::test
