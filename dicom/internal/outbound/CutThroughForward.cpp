#include "dicom/internal/outbound/CutThroughForward.h"

#include "dicom/internal/DecisionHandOff.h"
#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/RelayPaths.h"
#include "dicom/internal/inbound/DataSetHead.h"
#include "dicom/internal/outbound/ArchiveSession.h"
#include "dicom/internal/outbound/PassThroughDataSet.h"
#include "dicom/internal/outbound/StampedHead.h"

namespace quorin::dicom {

namespace {

using Way = CutThroughOutcome::Way;

CutThroughOutcome forward(DataSetHead& head, DcmDataset* parsedHead, SenderFragments& fragments,
                          const ForwardRequest& request, ArchiveSession& archive)
{
    const std::optional<ArchiveAddress> address = ArchiveAddress::of(request);
    if (!address)
        return {Way::Answered, relayFailure(QStringLiteral("invalid archive address"))};
    QString why;
    std::optional<StampedHead> stamped;
    if (parsedHead)
        stamped = stampHead(head, *parsedHead, request.changes, why);
    if (!stamped)
        return {Way::StoreAndForward, {}};
    const ImageKind kind{stamped->sopClassUid.c_str(), DcmXfer(head.syntax()).getXferID()};
    PassThroughDataSet data(std::move(stamped->bytes), head, fragments);
    const std::optional<ForwardResult> result = archive.passOn(kind, stamped->sopInstanceUid, data, *address);
    if (!result)
        return {Way::StoreAndForward, {}};
    if (data.failure() == PassThroughDataSet::Failure::Sender)
        return {Way::SenderGone, *result};
    countRelayPath(RelayPath::CutThrough);
    return {Way::Answered, *result};
}

} // namespace

CutThroughOutcome forwardWhileArriving(DataSetHead& head, DcmDataset* parsedHead, SenderFragments& fragments,
                                       const ForwardRequest& request, ArchiveSession& archive)
{
    try {
        return forward(head, parsedHead, fragments, request, archive);
    } catch (...) {
        archive.abort();
        return {Way::Answered, relayFailure(QStringLiteral("relay error"))};
    }
}

} // namespace quorin::dicom
