// The choices the relay makes on its own: which transfer syntax it accepts
// from a sender, and what it proposes to the archive as image kinds
// accumulate on one association. (How large a PDU it lets a sender send is
// tuning, judged by its effect: bench_relay --link.)

#include "dicom/internal/inbound/ContextNegotiation.h"
#include "dicom/internal/outbound/ArchiveProposal.h"

#include <dcmtk/dcmdata/dcuid.h>

#include <QTest>

using namespace quorin::dicom;

namespace {

const char* const kExplicit = UID_LittleEndianExplicitTransferSyntax;
const char* const kImplicit = UID_LittleEndianImplicitTransferSyntax;
const char* const kBigEndian = UID_BigEndianExplicitTransferSyntax;
const char* const kJpegLossless = UID_JPEGProcess14SV1TransferSyntax;
const char* const kJpegBaseline = UID_JPEGProcess1TransferSyntax;
const char* const kJpeg2000 = UID_JPEG2000TransferSyntax;
const char* const kRle = UID_RLELosslessTransferSyntax;
// Known to the toolkit, but an archive accepting everything (storescp +xa)
// refuses them.
const char* const kJpegProcess14 = UID_JPEGProcess14TransferSyntax;
const char* const kJpegRetired = UID_JPEGProcess3_5TransferSyntax;
const char* const kJpeg2000Multicomponent = UID_JPEG2000Part2MulticomponentImageCompressionLosslessOnlyTransferSyntax;

// As the relay's negotiation takes them: the sender's order.
using Uids = std::vector<const char*>;

ImageKind ImageKindOf(int sopClassNumber, const char* transferSyntax)
{
    return ImageKind{"1.2.826.0.1.3680043.9.7777.5." + std::to_string(sopClassNumber), transferSyntax};
}

} // namespace

class tst_NegotiationRules : public QObject {
    Q_OBJECT

private slots:
    // The sender's order among the syntaxes the relay can pass on, but Little
    // Endian before Big Endian, and nothing lossy while the context offers a
    // lossless or uncompressed syntax.
    void followsTheSendersOrderButNeverLossyOrBigEndian_data()
    {
        QTest::addColumn<Uids>("proposed");
        QTest::addColumn<QString>("accepted"); // empty: none
        // storescu's proposals are tst_relay's; here the rest.
        QTest::newRow("lossy only") << Uids{kJpeg2000, kJpegBaseline} << kJpeg2000;
        QTest::newRow("lossy before lossless") << Uids{kJpeg2000, kJpegLossless, kExplicit} << kJpegLossless;
        QTest::newRow("uncompressed first") << Uids{kImplicit, kExplicit, kRle} << kImplicit;
        QTest::newRow("big endian before its Little Endian twins") << Uids{kBigEndian, kImplicit, kExplicit} << kImplicit;
        // Only its Little Endian twin outranks Big Endian; otherwise the
        // sender's order holds.
        QTest::newRow("big endian before lossless") << Uids{kBigEndian, kRle} << kBigEndian;
        QTest::newRow("unknown skipped") << Uids{"1.2.3.4.5.6", kImplicit} << kImplicit;
        QTest::newRow("not passed on: JPEG process 14") << Uids{kJpegProcess14, kExplicit} << kExplicit;
        // Lossy, but the only syntax the relay could pass on.
        QTest::newRow("not passed on: retired JPEG") << Uids{kJpegRetired, kJpegBaseline} << kJpegBaseline;
        QTest::newRow("not passed on: multi-component") << Uids{kJpeg2000Multicomponent} << QString();
    }

    void followsTheSendersOrderButNeverLossyOrBigEndian()
    {
        QFETCH(Uids, proposed);
        QFETCH(QString, accepted);
        QCOMPARE(QString::fromLatin1(PreferredTransferSyntax(proposed)), accepted);
    }

    // Storage classes, also unknown (private) ones (tst_relay), and
    // Verification (tst_relay's echo) are relayed; known services of other kinds
    // cannot be passed on.
    void refusesServicesItCannotPassOn()
    {
        QVERIFY(!IsRelayableAbstractSyntax(UID_FINDStudyRootQueryRetrieveInformationModel));
        QVERIFY(!IsRelayableAbstractSyntax(UID_MOVEPatientRootQueryRetrieveInformationModel));
    }

    void proposesEachKindWithAnUncompressedFallback()
    {
        ArchiveProposal proposal;
        proposal.remember(ImageKindOf(1, kJpegLossless));
        proposal.remember(ImageKindOf(1, kExplicit));
        const std::vector<ProposedContext> contexts = proposal.contexts();
        // Explicit first-hand, JPEG first-hand, one shared uncompressed fallback.
        QCOMPARE(contexts.size(), std::size_t(3));
        QVERIFY(ContextsCover(contexts, ImageKindOf(1, kJpegLossless)));
        QVERIFY(ContextsCover(contexts, ImageKindOf(1, kExplicit)));
        QVERIFY(!ContextsCover(contexts, ImageKindOf(1, kRle)));
        QVERIFY(!ContextsCover(contexts, ImageKindOf(2, kExplicit)));
    }

    // An association holds at most 128 contexts: the oldest kinds give way.
    void keepsTheMostRecentKindsWithinTheContextLimit()
    {
        ArchiveProposal proposal;
        for (int i = 0; i < 200; ++i)
            proposal.remember(ImageKindOf(i, kJpegLossless));
        const std::vector<ProposedContext> contexts = proposal.contexts();
        QVERIFY(contexts.size() <= ArchiveProposal::kMaxContexts);
        QVERIFY(ContextsCover(contexts, ImageKindOf(199, kJpegLossless)));
        QVERIFY(!ContextsCover(contexts, ImageKindOf(0, kJpegLossless)));
        // A kind seen again becomes the most recent one.
        proposal.remember(ImageKindOf(0, kJpegLossless));
        QVERIFY(ContextsCover(proposal.contexts(), ImageKindOf(0, kJpegLossless)));
    }
};

QTEST_GUILESS_MAIN(tst_NegotiationRules)
#include "tst_negotiationrules.moc"
