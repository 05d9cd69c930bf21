// Relaying with real peers: storescu / gdcmscu send to the relay, whose
// handler stamps (0008,1070) and forwards to storescp or Orthanc.

#include "ArchivePeers.h"
#include "DatasetText.h"
#include "DicomTools.h"
#include "EventLoopWait.h"
#include "RelayHarness.h"
#include "dicom/internal/RelayPaths.h"
#include "TestImages.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quorin::test;

namespace {

const TagNumbers kOperatorsName{0x0008, 0x1070};
const QString kExplicitLittleEndian = QStringLiteral("1.2.840.10008.1.2.1");

// How an image sent through the relay ends, compared with the same file sent
// by the same sender straight to the same archive. storescu (3.6.7) converts
// only between uncompressed syntaxes: it can neither compress nor decompress
// ("unable to convert dataset", and the store fails).
enum class VersusDirect {
    // Both archived copies identical (but the stamp), or storescu cannot
    // convert the image on either path (to the same syntax, or where the
    // relay accepts another syntax than the archive, to another one).
    Same,
    // Directly storescu cannot decompress for the archive; the relay takes
    // the image as it is and decompresses it itself.
    RelayDecompresses,
    // Directly storescu cannot decompress for the archive; the relay takes
    // the image as it is but has no decoder either (JPEG 2000): the sender
    // hears the relay's failure status, nothing is archived.
    RelayRefuses,
    // +C with a lossy syntax first: the archive picks it, and storescu cannot
    // compress (a sender that could would compress lossily); the relay takes
    // Explicit VR Little Endian and the image arrives unchanged.
    KeptUncompressed,
    // +C with a lossy syntax first, lossy image: the archive takes it as it
    // is; the relay, which cannot tell it from an uncompressed image, takes
    // only Explicit VR Little Endian, which storescu cannot decompress to.
    SenderMustDecompress,
    // +C with a lossless compressed syntax first, uncompressed image, archive
    // of uncompressed syntaxes only: the archive picks Explicit VR Little
    // Endian; the relay, which does not know its archive's syntaxes then,
    // follows the sender's order, which storescu cannot compress to.
    SenderMustCompress,
};

ImageRecipe seeded(quint32 seed)
{
    ImageRecipe recipe;
    recipe.pixelSeed = seed;
    return recipe;
}

ImageRecipe ofClass(const QString& sopClassUid)
{
    ImageRecipe recipe;
    recipe.sopClassUid = sopClassUid;
    return recipe;
}

// tests/dicom/charset_image.py: images in any character set pydicom knows,
// and their names as pydicom decodes them.
ToolRun charsetImage(const QStringList& arguments)
{
    return runTool(QStringLiteral("/usr/bin/python3"),
                   QStringList{QStringLiteral(QUORIN_SOURCE_DIR "/tests/dicom/charset_image.py")} + arguments);
}

StorescpOptions archiveOptions(bool verbose, bool compressed, bool unknownClasses, bool refusing)
{
    StorescpOptions options;
    options.verbose = verbose;
    options.acceptCompressed = compressed;
    options.acceptUnknownSopClasses = unknownClasses;
    options.refuseAssociations = refusing;
    return options;
}

// storescu -v saw the relay's failure status (0xA700) for its image.
void verifySenderWasRefused(const ToolRun& run)
{
    QVERIFY2(run.finished && run.exitCode != 0, qPrintable(run.output));
    QVERIFY2(run.output.contains(QStringLiteral("Received Store Response (Refused: OutOfResources)")),
             qPrintable(run.output));
}

// The syntax storescu could not convert an image from ("unable to convert
// dataset from 'X' transfer syntax to 'Y'"), empty when it did not fail so.
QString conversionFailure(const ToolRun& run)
{
    const QString complaint = QStringLiteral("unable to convert dataset from '");
    const qsizetype at = run.output.indexOf(complaint);
    if (at < 0)
        return QString();
    const qsizetype from = at + complaint.size();
    return run.output.mid(from, run.output.indexOf(u'\'', from) - from);
}

bool isLossySyntax(const QString& uid)
{
    static const QStringList lossless{kExplicitLittleEndian,
                                      QStringLiteral("1.2.840.10008.1.2"),       // Implicit VR Little Endian
                                      QStringLiteral("1.2.840.10008.1.2.2"),     // Explicit VR Big Endian
                                      QStringLiteral("1.2.840.10008.1.2.1.99"),  // Deflated
                                      QStringLiteral("1.2.840.10008.1.2.4.70"),  // JPEG Lossless SV1
                                      QStringLiteral("1.2.840.10008.1.2.5"),     // RLE
                                      QStringLiteral("1.2.840.10008.1.2.4.90")}; // JPEG 2000 Lossless
    return !lossless.contains(uid);
}

// `copy` holds what `reference` holds (decoded first with `decoded`), element
// by element, but the stamp and group lengths.
void verifySameElements(const QString& copy, const QString& reference, bool decoded = false)
{
    const QStringList expected = datasetElements(reference, {kOperatorsName}, decoded);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(datasetElements(copy, {kOperatorsName}), expected);
}

// The archive's copy must equal the sent file in everything but the stamp.
void verifyStampedCopy(const QString& sent, const QString& arrived, const QByteArray& stamp)
{
    QCOMPARE(rawValue(arrived, 0x0008, 0x1070), stamp);
    const QString expected = datasetText(sent, {kOperatorsName});
    QVERIFY(!expected.isEmpty());
    QCOMPARE(datasetText(arrived, {kOperatorsName}), expected);
}

} // namespace

Q_DECLARE_METATYPE(VersusDirect)

class RelayTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_images;
    std::unique_ptr<TestImages> m_factory;
    QString m_plain;

    // For relayedImageMatchesTheDirectPath: made on first use, kept for all rows.
    QMap<QString, QString> m_samples;
    std::unique_ptr<StorescpArchive> m_takesAll;
    std::unique_ptr<StorescpArchive> m_uncompressedOnly;
    std::unique_ptr<RelayHarness> m_pathRelay;
    int m_sends = 0;

    // The test image of a kind, made from the plain one.
    QString sample(const QString& kind)
    {
        if (!m_samples.contains(kind)) {
            const QString name = QStringLiteral("sample-%1.dcm").arg(m_samples.size());
            m_samples[kind] = kind == QLatin1String("uncompressed") ? m_plain
                : kind == QLatin1String("JPEG baseline")             ? m_factory->jpegBaseline(m_plain, name)
                : kind == QLatin1String("JPEG lossless")             ? m_factory->jpegLossless(m_plain, name)
                : kind == QLatin1String("RLE")                       ? m_factory->rle(m_plain, name)
                : kind == QLatin1String("JPEG 2000")                 ? m_factory->jpeg2000Relabelled(m_plain, name)
                                                                     : m_factory->deflated(m_plain, name);
        }
        return m_samples[kind];
    }

    // storescp +xa, or storescp taking uncompressed syntaxes only; nullptr
    // when it did not come up.
    StorescpArchive* pathArchive(bool takesAll)
    {
        std::unique_ptr<StorescpArchive>& archive = takesAll ? m_takesAll : m_uncompressedOnly;
        if (!archive) {
            archive = std::make_unique<StorescpArchive>(archiveOptions(false, takesAll, false, false));
            if (!archive->start())
                archive.reset();
        }
        return archive.get();
    }

    struct Sent {
        ToolRun run;
        QString copy; // the archive's copy, moved aside; empty when none came
    };

    // storescu `proposal` `file` to `port`; what reached `archive`.
    Sent sendTo(quint16 port, const QString& calledAE, const QString& file, const QStringList& proposal,
                StorescpArchive& archive)
    {
        for (const QString& old : archive.storedFiles())
            QFile::remove(old);
        Sent sent{storescu(port, {file}, proposal + QStringList{QStringLiteral("-v")}, calledAE), QString()};
        const QStringList stored = archive.storedFiles();
        if (stored.size() == 1) {
            sent.copy = m_images.filePath(QStringLiteral("archived-%1.dcm").arg(++m_sends));
            QFile::rename(stored.first(), sent.copy);
        }
        return sent;
    }

    // Sends `file` both ways (straight to the archive, and through the relay
    // to the same archive) and compares what arrived.
    void compareWithDirectPath(const QString& file, const QStringList& proposal, bool archiveTakesAll,
                               VersusDirect versus)
    {
        StorescpArchive* archive = pathArchive(archiveTakesAll);
        QVERIFY(archive);
        if (!m_pathRelay) {
            m_pathRelay = std::make_unique<RelayHarness>();
            QVERIFY(m_pathRelay->start());
        }
        m_pathRelay->setArchive(archive->port());
        const Sent direct = sendTo(archive->port(), QStringLiteral("ARCHIVE"), file, proposal, *archive);
        const Sent relayed = sendTo(m_pathRelay->port(), QStringLiteral("RELAY"), file, proposal, *archive);
        const QString sentSyntax = transferSyntaxOf(file);
        const QString directText = QStringLiteral("direct: %1").arg(direct.run.output);
        const QString relayedText = QStringLiteral("through the relay: %1").arg(relayed.run.output);
        QCOMPARE(direct.run.succeeded(), !direct.copy.isEmpty());
        QCOMPARE(relayed.run.succeeded(), !relayed.copy.isEmpty());
        if (!relayed.copy.isEmpty()) {
            QCOMPARE(rawValue(relayed.copy, 0x0008, 0x1070), QByteArray("AB"));
            // Never lossy unless it was.
            QVERIFY2(!isLossySyntax(transferSyntaxOf(relayed.copy)) || isLossySyntax(sentSyntax),
                     qPrintable(transferSyntaxOf(relayed.copy)));
        }
        switch (versus) {
        case VersusDirect::Same:
            QVERIFY2(relayed.copy.isEmpty() == direct.copy.isEmpty(), qPrintable(directText + relayedText));
            if (direct.copy.isEmpty()) {
                QVERIFY2(!conversionFailure(direct.run).isEmpty(), qPrintable(directText));
                QCOMPARE(conversionFailure(relayed.run), conversionFailure(direct.run));
                return;
            }
            QCOMPARE(transferSyntaxOf(relayed.copy), transferSyntaxOf(direct.copy));
            verifySameElements(relayed.copy, direct.copy);
            return;
        case VersusDirect::RelayDecompresses:
            QVERIFY2(!conversionFailure(direct.run).isEmpty(), qPrintable(directText));
            QVERIFY2(!relayed.copy.isEmpty(), qPrintable(relayedText));
            QCOMPARE(transferSyntaxOf(relayed.copy), kExplicitLittleEndian);
            verifySameElements(relayed.copy, file, true);
            return;
        case VersusDirect::RelayRefuses:
            QVERIFY2(!conversionFailure(direct.run).isEmpty(), qPrintable(directText));
            QVERIFY2(relayed.run.output.contains(QStringLiteral("Received Store Response (Refused: OutOfResources)")),
                     qPrintable(relayedText));
            QVERIFY(relayed.copy.isEmpty());
            return;
        case VersusDirect::KeptUncompressed:
            QVERIFY2(!conversionFailure(direct.run).isEmpty(), qPrintable(directText));
            QVERIFY2(!relayed.copy.isEmpty(), qPrintable(relayedText));
            QCOMPARE(transferSyntaxOf(relayed.copy), sentSyntax);
            verifySameElements(relayed.copy, file);
            return;
        case VersusDirect::SenderMustDecompress:
        case VersusDirect::SenderMustCompress:
            QVERIFY2(!direct.copy.isEmpty(), qPrintable(directText));
            QCOMPARE(transferSyntaxOf(direct.copy), sentSyntax);
            verifySameElements(direct.copy, file);
            QVERIFY2(!conversionFailure(relayed.run).isEmpty(), qPrintable(relayedText));
            return;
        }
    }

    // 6 MB of pixel data: over the size the relay keeps in memory.
    QString largeImage()
    {
        ImageRecipe recipe;
        recipe.rows = 1024;
        recipe.columns = 1024;
        recipe.frames = 3;
        return m_factory->make(QStringLiteral("large.dcm"), recipe);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_images.isValid());
        m_factory = std::make_unique<TestImages>(m_images.path());
        m_plain = m_factory->make(QStringLiteral("plain.dcm"));
        QVERIFY(!m_plain.isEmpty());
    }

    void cleanupTestCase()
    {
        m_pathRelay.reset();
        m_takesAll.reset();
        m_uncompressedOnly.reset();
    }

    void cleanup()
    {
        QVERIFY2(waitForNoTemporaryFiles(), qPrintable(leftoverTemporaryFiles().join(u' ')));
    }

    // Three images on one sender association also share one archive association.
    void stampsAndForwardsEverythingElseUnchanged()
    {
        StorescpArchive archive(archiveOptions(true, false, false, false));
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.port());
        QVERIFY(relay.start());

        QStringList sent;
        for (int i = 0; i < 3; ++i)
            sent << m_factory->make(QStringLiteral("series-%1.dcm").arg(i), seeded(quint32(10 + i)));
        const int associationsBefore = archive.output().count(QStringLiteral("Association Received"));
        const ToolRun run = storescu(relay.port(), sent);
        QVERIFY2(run.succeeded(), qPrintable(run.output));

        QCOMPARE(relay.imagesRaised(), 3);
        QVERIFY(relay.waitForResults(3));
        for (const ForwardResult& result : relay.results()) {
            QVERIFY2(result.accepted, qPrintable(result.detail));
            QCOMPARE(result.status, quint16(0));
        }
        const QStringList arrived = archive.storedFiles();
        QCOMPARE(arrived.size(), 3);
        for (const QString& file : sent) {
            const QString uid = QString::fromLatin1(rawValue(file, 0x0008, 0x0018));
            QVERIFY(relay.imageTexts().contains(uid));
            const auto copy = std::find_if(arrived.begin(), arrived.end(),
                                           [&](const QString& a) { return a.contains(uid); });
            QVERIFY(copy != arrived.end());
            verifyStampedCopy(file, *copy, "AB");
        }
        relay.stop();
        archive.stop();
        QCOMPARE(archive.output().count(QStringLiteral("Association Received")) - associationsBefore, 1);
    }

    // The archive ends the kept association between two images (here: it
    // restarts); the relay notices and opens a new one for the next image.
    void keptArchiveAssociationThatDiedIsReopened()
    {
        StorescpArchive archive;
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.port());
        QVERIFY(relay.start());
        relay.setBeforeHandling([&] {
            if (relay.imagesRaised() == 2) {
                archive.stop();
                QVERIFY(archive.start());
            }
        });
        const QStringList sent{m_factory->make(QStringLiteral("before-restart.dcm")),
                               m_factory->make(QStringLiteral("after-restart.dcm"))};
        const ToolRun run = storescu(relay.port(), sent);
        QVERIFY2(run.succeeded(), qPrintable(run.output));
        QCOMPARE(archive.storedFiles().size(), 2);
    }

    // Each image goes where the handler sends it, also when consecutive
    // images of one sender go to different archives.
    void destinationMayChangeBetweenImages()
    {
        StorescpArchive first;
        StorescpArchive second;
        QVERIFY(first.start() && second.start());
        RelayHarness relay;
        QVERIFY(relay.start());
        relay.setBeforeHandling([&] { relay.setArchive(relay.imagesRaised() % 2 ? first.port() : second.port()); });
        QStringList sent;
        for (int i = 0; i < 4; ++i)
            sent << m_factory->make(QStringLiteral("alternating-%1.dcm").arg(i));
        const ToolRun run = storescu(relay.port(), sent);
        QVERIFY2(run.succeeded(), qPrintable(run.output));
        QCOMPARE(first.storedFiles().size(), 2);
        QCOMPARE(second.storedFiles().size(), 2);
    }

    // The relay lets a sender send an image as it would to an archive that
    // takes everything (storescp +xa): the archived copies must be identical
    // but for the stamp, whichever way the image went; to an archive of
    // uncompressed syntaxes only too. Exceptions (see VersusDirect): the
    // relay decompresses what storescu cannot, and with +C (all syntaxes in
    // one context) a lossy syntax is never accepted beside an uncompressed
    // one, so no image arrives lossy that was not.
    void relayedImageMatchesTheDirectPath_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QStringList>("proposal");
        QTest::addColumn<bool>("archiveTakesAll");
        QTest::addColumn<VersusDirect>("versus");
        using V = VersusDirect;
        // Where the paths part, by archive ("all": +xa), proposal and image.
        const QMap<QString, VersusDirect> exceptions{
            {QStringLiteral("all -xy +C uncompressed"), V::KeptUncompressed},
            {QStringLiteral("all -xy +C JPEG baseline"), V::SenderMustDecompress},
            {QStringLiteral("uncompressed -xy JPEG baseline"), V::RelayDecompresses},
            {QStringLiteral("uncompressed -xs JPEG lossless"), V::RelayDecompresses},
            {QStringLiteral("uncompressed -xs +C JPEG lossless"), V::RelayDecompresses},
            {QStringLiteral("uncompressed -xr RLE"), V::RelayDecompresses},
            {QStringLiteral("uncompressed -xr +C RLE"), V::RelayDecompresses},
            {QStringLiteral("uncompressed -xv JPEG 2000"), V::RelayRefuses},
            {QStringLiteral("uncompressed -xv +C JPEG 2000"), V::RelayRefuses},
            {QStringLiteral("uncompressed -xs +C uncompressed"), V::SenderMustCompress},
            {QStringLiteral("uncompressed -xr +C uncompressed"), V::SenderMustCompress},
            {QStringLiteral("uncompressed -xv +C uncompressed"), V::SenderMustCompress},
        };
        const QStringList images{QStringLiteral("uncompressed"), QStringLiteral("JPEG baseline"),
                                 QStringLiteral("JPEG lossless"), QStringLiteral("RLE"), QStringLiteral("JPEG 2000")};
        const QStringList options{QString(),           QStringLiteral("-xe"), QStringLiteral("-xb"),
                                  QStringLiteral("-xi"), QStringLiteral("-xs"), QStringLiteral("-xy"),
                                  QStringLiteral("-xv"), QStringLiteral("-xr")};
        const auto addRow = [&](bool takesAll, const QString& option, const QString& combined, const QString& image) {
            const QString tag = QStringLiteral("%1 %2%3 %4")
                                    .arg(takesAll ? QStringLiteral("all") : QStringLiteral("uncompressed"),
                                         option.isEmpty() ? QStringLiteral("default") : option,
                                         combined.isEmpty() ? QString() : QStringLiteral(" +C"), image);
            QStringList proposal{option, combined};
            proposal.removeAll(QString());
            QTest::newRow(qPrintable(tag)) << image << proposal << takesAll << exceptions.value(tag, V::Same);
        };
        for (const bool takesAll : {true, false}) {
            for (const QString& combined : {QString(), QStringLiteral("+C")}) {
                for (const QString& option : options) {
                    for (const QString& image : images)
                        addRow(takesAll, option, combined, image);
                }
                // Deflate: the relay reads the data set stream and writes it again.
                addRow(takesAll, QStringLiteral("-xd"), combined, QStringLiteral("deflated"));
            }
        }
    }

    void relayedImageMatchesTheDirectPath()
    {
        QFETCH(QString, image);
        QFETCH(QStringList, proposal);
        QFETCH(bool, archiveTakesAll);
        QFETCH(VersusDirect, versus);
        const QString file = sample(image);
        QVERIFY(!file.isEmpty());
        compareWithDirectPath(file, proposal, archiveTakesAll, versus);
    }

    // Small images wait for their decision in memory; one over the relay's
    // memory limit (4 MB) waits in a temporary file, unless passed on while
    // it arrives, which never needs one. Both arrive unchanged but for the
    // stamp.
    void largeImageWaitsInATemporaryFileSmallOneInMemory()
    {
        const QString large = largeImage();
        QVERIFY(!large.isEmpty());
        StorescpArchive archive;
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.port());
        QList<qsizetype> filesWhileWaiting;
        relay.setBeforeHandling([&] { filesWhileWaiting << leftoverTemporaryFiles().size(); });
        QVERIFY(relay.start());

        const ToolRun run = storescu(relay.port(), {m_plain, large});
        QVERIFY2(run.succeeded(), qPrintable(run.output));
        QCOMPARE(filesWhileWaiting, (QList<qsizetype>{0, quorin::dicom::cutThroughEnabled() ? 0 : 1}));
        const QStringList arrived = archive.storedFiles();
        QCOMPARE(arrived.size(), 2);
        for (const QString& sent : {m_plain, large}) {
            const QString uid = QString::fromLatin1(rawValue(sent, 0x0008, 0x0018));
            const auto copy = std::find_if(arrived.begin(), arrived.end(),
                                           [&](const QString& a) { return a.contains(uid); });
            QVERIFY(copy != arrived.end());
            verifyStampedCopy(sent, *copy, "AB");
        }
    }

    // A large image's temporary file cannot be made (a file stands where the
    // folder should be): its sender is refused with the relay's failure
    // status and the association goes on with the next image. Store and
    // forward only: cut-through keeps no file.
    void largeImageThatCannotBeKeptIsRefused()
    {
        const QString large = largeImage();
        QVERIFY(!large.isEmpty());
        QDir(relayTemporaryFolder()).removeRecursively();
        QFile blocker(relayTemporaryFolder());
        const auto unblock = qScopeGuard([&] { blocker.remove(); });
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        StorescpArchive archive;
        QVERIFY(archive.start());
        RelayHarness relay;
        const bool cutThrough = quorin::dicom::cutThroughEnabled();
        quorin::dicom::setCutThroughEnabled(false);
        const auto restore = qScopeGuard([cutThrough] { quorin::dicom::setCutThroughEnabled(cutThrough); });
        relay.setArchive(archive.port());
        QVERIFY(relay.start());

        const ToolRun run = storescu(relay.port(), {large, m_plain}, {QStringLiteral("-v"), QStringLiteral("-nh")});
        QCOMPARE(run.output.count(QStringLiteral("Received Store Response (Refused: OutOfResources)")), 1);
        QCOMPARE(run.output.count(QStringLiteral("Received Store Response (Success)")), 1);
        QCOMPARE(relay.imagesRaised(), 1);
        QCOMPARE(archive.storedFiles().size(), 1);
        verifyStampedCopy(m_plain, archive.storedFiles().first(), "AB");
    }

    void privateSopClassIsRelayed()
    {
        const QString image = m_factory->make(QStringLiteral("private.dcm"), ofClass(kPrivateSopClass));
        StorescpArchive archive(archiveOptions(false, false, true, false));
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.port());
        QVERIFY(relay.start());

        const ToolRun run = storescu(relay.port(), {image}, storescuProposing(m_images.path(), kPrivateSopClass));
        QVERIFY2(run.succeeded(), qPrintable(run.output));
        QCOMPARE(archive.storedFiles().size(), 1);
        verifyStampedCopy(image, archive.storedFiles().first(), "AB");
    }

    void archiveFailureReachesTheSender_data()
    {
        QTest::addColumn<QString>("archiveState");
        QTest::newRow("archive not running") << QStringLiteral("down");
        QTest::newRow("archive refuses associations") << QStringLiteral("refusing");
        QTest::newRow("archive refuses the SOP class") << QStringLiteral("no private classes");
    }

    void archiveFailureReachesTheSender()
    {
        QFETCH(QString, archiveState);
        const QString image = m_factory->make(QStringLiteral("refused-%1.dcm").arg(archiveState),
                                              ofClass(kPrivateSopClass));
        StorescpArchive archive(archiveOptions(false, false, false, archiveState == QLatin1String("refusing")));
        QVERIFY(archive.start());
        if (archiveState == QLatin1String("down"))
            archive.stop();
        RelayHarness relay;
        relay.setArchive(archive.port());
        QVERIFY(relay.start());

        const ToolRun run = storescu(relay.port(), {image},
                                     storescuProposing(m_images.path(), kPrivateSopClass) << QStringLiteral("-v"));
        verifySenderWasRefused(run);
        QVERIFY(relay.waitForResults(1));
        QVERIFY(!relay.results().first().accepted);
        QCOMPARE(relay.results().first().status, quint16(0xA700));
        QVERIFY(archive.storedFiles().isEmpty());
    }

    void imageNotForwardedIsAnsweredWithFailure_data()
    {
        QTest::addColumn<bool>("serverFlag");
        QTest::newRow("handler lets it go") << true;
        QTest::newRow("server flag off") << false;
    }

    void imageNotForwardedIsAnsweredWithFailure()
    {
        QFETCH(bool, serverFlag);
        RelayHarness relay;
        relay.setDecision(RelayHarness::Decision::LetGo);
        QVERIFY(relay.start());
        relay.server().setServerFlag(serverFlag);
        const ToolRun run = storescu(relay.port(), {m_plain}, {QStringLiteral("-v")});
        verifySenderWasRefused(run);
        QCOMPARE(relay.imagesRaised(), serverFlag ? 1 : 0);
    }

    void orthancArchiveReceivesTheStamp()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Orthanc")).isEmpty())
            QSKIP("Orthanc is not installed");
        OrthancArchive archive;
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.dicomPort(), archive.aeTitle());
        relay.setStamp(QStringLiteral("XY"));
        QVERIFY(relay.start());

        const ToolRun run = storescu(relay.port(), {m_plain});
        QVERIFY2(run.succeeded(), qPrintable(run.output));
        const QStringList ids = archive.instanceIds();
        QCOMPARE(ids.size(), 1);
        QCOMPARE(archive.tagValue(ids.first(), QStringLiteral("0008-1070")).trimmed(), QByteArray("XY"));
        archive.stop();
    }

    void gdcmSenderIsRelayed()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gdcmscu")).isEmpty())
            QSKIP("gdcmscu is not installed");
        StorescpArchive archive;
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.port());
        QVERIFY(relay.start());

        gdcmscuStore(relay.port(), m_plain); // ends with an abort whatever happened
        QVERIFY(relay.waitForResults(1));
        QVERIFY(relay.results().first().accepted);
        QCOMPARE(archive.storedFiles().size(), 1);
        verifyStampedCopy(m_plain, archive.storedFiles().first(), "AB");
    }

    void concurrentSendersAllArrive()
    {
        StorescpArchive archive;
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.port());
        QVERIFY(relay.start());

        const int senders = 4;
        const int imagesEach = 5;
        QList<QStringList> groups;
        for (int s = 0; s < senders; ++s) {
            QStringList files;
            for (int i = 0; i < imagesEach; ++i)
                files << m_factory->make(QStringLiteral("sender%1-%2.dcm").arg(s).arg(i));
            groups << files;
        }
        for (const ToolRun& run : storescuInParallel(relay.port(), groups))
            QVERIFY2(run.succeeded(), qPrintable(run.output));
        QCOMPARE(archive.storedFiles().size(), senders * imagesEach);
        QVERIFY(std::all_of(relay.results().begin(), relay.results().end(),
                            [](const ForwardResult& r) { return r.accepted; }));
    }

    void nonAsciiStampIsWrittenInACharacterSetTheImageDeclares_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QString>("patientName");
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<QString>("expectedCharset");
        QTest::addColumn<QByteArray>("expectedStamp");
        QTest::addColumn<QString>("readBack"); // the stamp as a reader decodes it
        const QString latin = QStringLiteral("Müller^Hans");
        const QString japanese = QStringLiteral("Yamada^Tarou=山田^太郎=やまだ^たろう");
        // Latin-1 can carry the character: the image keeps its character set.
        QTest::newRow("Latin-1 image") << QStringLiteral("ISO_IR 100") << latin << QStringLiteral("Ä")
                                       << QStringLiteral("ISO_IR 100") << QByteArray("\xC4") << QStringLiteral("Ä");
        // No character set means ASCII only: the image becomes UTF-8.
        QTest::newRow("image without character set")
            << QString() << QStringLiteral("Mueller^Hans") << QStringLiteral("Ä") << QStringLiteral("ISO_IR 192")
            << QByteArray("\xC3\x84") << QStringLiteral("Ä");
        // Latin-1 cannot carry Cyrillic: the whole image is recoded to UTF-8.
        QTest::newRow("Latin-1 image, Cyrillic stamp")
            << QStringLiteral("ISO_IR 100") << latin << QStringLiteral("Ж") << QStringLiteral("ISO_IR 192")
            << QByteArray("\xD0\x96") << QStringLiteral("Ж");
        // A stand-alone multi-byte set that holds the character: no code extensions.
        QTest::newRow("Chinese GB18030") << QStringLiteral("GB18030") << QStringLiteral("Wang^XiaoDong=王^小东")
                                         << QStringLiteral("MÜ") << QStringLiteral("GB18030")
                                         << QByteArray("M\x81\x30\x89\x35") << QStringLiteral("MÜ");
        // Code extensions: Latin-1 is designated to G1 where needed and added
        // to the character sets; nothing else is recoded.
        QTest::newRow("Japanese, empty first value")
            << QStringLiteral("\\ISO 2022 IR 87") << japanese << QStringLiteral("MÜ")
            << QStringLiteral("\\ISO 2022 IR 87\\ISO 2022 IR 100") << QByteArray("M\x1B-A\xDC") << QStringLiteral("MÜ");
        // Without the designation a reader takes the Latin-1 bytes for katakana.
        QTest::newRow("Japanese with katakana, 16 characters")
            << QStringLiteral("ISO 2022 IR 13\\ISO 2022 IR 87") << QStringLiteral("ﾔﾏﾀﾞ^ﾀﾛｳ=山田^太郎=やまだ^たろう")
            << QStringLiteral("MÜLLER-SCHÖNBERG") << QStringLiteral("ISO 2022 IR 13\\ISO 2022 IR 87\\ISO 2022 IR 100")
            << QByteArray("M\x1B-A\xDCLLER-SCH\xD6NBERG") << QStringLiteral("MÜLLER-SCHÖNBERG");
        // Name components start over in the first value's state.
        QTest::newRow("Japanese, ASCII first value, two components")
            << QStringLiteral("ISO 2022 IR 6\\ISO 2022 IR 87") << japanese << QStringLiteral("Ö^MÜ")
            << QStringLiteral("ISO 2022 IR 6\\ISO 2022 IR 87\\ISO 2022 IR 100")
            << QByteArray("\x1B-A\xD6^M\x1B-A\xDC") << QStringLiteral("Ö^MÜ");
        QTest::newRow("Japanese, Latin-1 declared already")
            << QStringLiteral("ISO 2022 IR 100\\ISO 2022 IR 87") << QStringLiteral("Müller^Hans=山田^太郎")
            << QStringLiteral("MÜ") << QStringLiteral("ISO 2022 IR 100\\ISO 2022 IR 87")
            << QByteArray("M\x1B-A\xDC") << QStringLiteral("MÜ");
        // Windows-1252's own letters are not in Latin-1: transliterated.
        QTest::newRow("Korean, Windows-1252 letters")
            << QStringLiteral("\\ISO 2022 IR 149") << QStringLiteral("Hong^Gildong=洪^吉洞=홍^길동")
            << QStringLiteral("ŠÉ€") << QStringLiteral("\\ISO 2022 IR 149\\ISO 2022 IR 100")
            << QByteArray("S\x1B-A\xC9""EUR") << QStringLiteral("SÉEUR");
        QTest::newRow("Chinese GB 2312")
            << QStringLiteral("\\ISO 2022 IR 58") << QStringLiteral("Zhang^XiaoDong=张^小东") << QStringLiteral("MÜ")
            << QStringLiteral("\\ISO 2022 IR 58\\ISO 2022 IR 100") << QByteArray("M\x1B-A\xDC") << QStringLiteral("MÜ");
    }

    void nonAsciiStampIsWrittenInACharacterSetTheImageDeclares()
    {
        QFETCH(QString, declared);
        QFETCH(QString, patientName);
        QFETCH(QString, stamp);
        QFETCH(QString, expectedCharset);
        QFETCH(QByteArray, expectedStamp);
        QFETCH(QString, readBack);
        const QString image = m_factory->make(QStringLiteral("charset-%1.dcm").arg(QTest::currentDataTag()));
        QVERIFY(!image.isEmpty());
        const ToolRun made = charsetImage({QStringLiteral("write"), image, declared, patientName});
        QVERIFY2(made.succeeded(), qPrintable(made.output));
        StorescpArchive archive;
        QVERIFY(archive.start());
        RelayHarness relay;
        relay.setArchive(archive.port());
        relay.setStamp(stamp);
        QVERIFY(relay.start());

        const ToolRun run = storescu(relay.port(), {image});
        QVERIFY2(run.succeeded(), qPrintable(run.output));
        QCOMPARE(archive.storedFiles().size(), 1);
        const QString arrived = archive.storedFiles().first();
        QCOMPARE(QString::fromLatin1(rawValue(arrived, 0x0008, 0x0005)).trimmed(), expectedCharset);
        QCOMPARE(rawValue(arrived, 0x0008, 0x1070), expectedStamp);
        const ToolRun read = charsetImage({QStringLiteral("read"), arrived, image});
        QVERIFY2(read.succeeded(), qPrintable(read.output));
        const QStringList names = read.output.split(u'\n');
        QCOMPARE(names.value(0), readBack);
        QCOMPARE(names.value(1), names.value(3)); // Patient's Name as sent
        // Unless recoded to UTF-8, every other element keeps its bytes.
        const QList<TagNumbers> stampAndCharset{kOperatorsName, {0x0008, 0x0005}};
        if (expectedCharset != QLatin1String("ISO_IR 192")) {
            QCOMPARE(rawValue(arrived, 0x0010, 0x0010), rawValue(image, 0x0010, 0x0010));
            QCOMPARE(datasetText(arrived, stampAndCharset), datasetText(image, stampAndCharset));
        }
    }
};

QTEST_GUILESS_MAIN(RelayTest)
#include "tst_relay.moc"
