// The two choices the relay makes on its own: which transfer syntax it
// accepts from a sender, and what it proposes to the archive as image kinds
// accumulate on one association.

#include "dicom/internal/ArchiveProposal.h"
#include "dicom/internal/ContextNegotiation.h"

#include <dcmtk/dcmdata/dcuid.h>

#include <QTest>

using namespace quorin::dicom;

namespace {

const char* const kExplicit = UID_LittleEndianExplicitTransferSyntax;
const char* const kImplicit = UID_LittleEndianImplicitTransferSyntax;
const char* const kJpegLossless = UID_JPEGProcess14SV1TransferSyntax;
const char* const kRle = UID_RLELosslessTransferSyntax;

ImageKind kind(int sopClassNumber, const char* transferSyntax)
{
    return ImageKind{"1.2.826.0.1.3680043.9.7777.5." + std::to_string(sopClassNumber), transferSyntax};
}

} // namespace

class tst_NegotiationRules : public QObject {
    Q_OBJECT

private slots:
    void prefersTheSendersCompressedSyntax_data()
    {
        QTest::addColumn<QStringList>("proposed");
        QTest::addColumn<QString>("accepted");
        QTest::newRow("compressed first") << QStringList{kJpegLossless, kExplicit, kImplicit} << QString(kJpegLossless);
        QTest::newRow("compressed after the defaults") << QStringList{kImplicit, kExplicit, kRle} << QString(kRle);
        QTest::newRow("explicit before implicit") << QStringList{kImplicit, kExplicit} << QString(kExplicit);
        QTest::newRow("implicit only") << QStringList{kImplicit} << QString(kImplicit);
        QTest::newRow("unknown syntax skipped") << QStringList{"1.2.3.4.5.6", kImplicit} << QString(kImplicit);
        QTest::newRow("nothing readable") << QStringList{"1.2.3.4.5.6"} << QString();
    }

    void prefersTheSendersCompressedSyntax()
    {
        QFETCH(QStringList, proposed);
        QFETCH(QString, accepted);
        std::vector<QByteArray> bytes;
        std::vector<const char*> uids;
        for (const QString& uid : proposed)
            bytes.push_back(uid.toLatin1());
        for (const QByteArray& uid : bytes)
            uids.push_back(uid.constData());
        const char* chosen = preferredTransferSyntax(uids);
        QCOMPARE(QString::fromLatin1(chosen ? chosen : ""), accepted);
    }

    void proposesEachKindWithAnUncompressedFallback()
    {
        ArchiveProposal proposal;
        proposal.remember(kind(1, kJpegLossless));
        proposal.remember(kind(1, kExplicit));
        const std::vector<ProposedContext> contexts = proposal.contexts();
        // Explicit first-hand, JPEG first-hand, one shared uncompressed fallback.
        QCOMPARE(contexts.size(), std::size_t(3));
        QVERIFY(contextsCover(contexts, kind(1, kJpegLossless)));
        QVERIFY(contextsCover(contexts, kind(1, kExplicit)));
        QVERIFY(!contextsCover(contexts, kind(1, kRle)));
        QVERIFY(!contextsCover(contexts, kind(2, kExplicit)));
    }

    // An association holds at most 128 contexts: the oldest kinds give way.
    void keepsTheMostRecentKindsWithinTheContextLimit()
    {
        ArchiveProposal proposal;
        for (int i = 0; i < 200; ++i)
            proposal.remember(kind(i, kJpegLossless));
        const std::vector<ProposedContext> contexts = proposal.contexts();
        QVERIFY(contexts.size() <= ArchiveProposal::kMaxContexts);
        QVERIFY(contextsCover(contexts, kind(199, kJpegLossless)));
        QVERIFY(!contextsCover(contexts, kind(0, kJpegLossless)));
        // A kind seen again becomes the most recent one.
        proposal.remember(kind(0, kJpegLossless));
        QVERIFY(contextsCover(proposal.contexts(), kind(0, kJpegLossless)));
    }
};

QTEST_GUILESS_MAIN(tst_NegotiationRules)
#include "tst_negotiationrules.moc"
