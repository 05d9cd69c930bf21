#include "dicom/internal/outbound/CutThrough.h"

#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/ForwardRequest.h"
#include "dicom/internal/inbound/DataSetHead.h"
#include "dicom/internal/outbound/ArchiveSession.h"
#include "dicom/internal/outbound/CutThroughDataSet.h"
#include "dicom/internal/outbound/StampedHead.h"

namespace quorin::dicom {

namespace {

CutThroughOutcome Forward(DataSetHead& head, DcmDataset* parsedHead, SenderFragments& fragments,
                          const ForwardRequest& request, ArchiveSession& archive)
{
    QString why;
    std::optional<StampedHead> stamped;
    if (parsedHead)
        stamped = StampHead(head, *parsedHead, request.changes, why);
    if (!stamped)
        return {RelayWay::StoreAndForward};
    const ImageKind kind{stamped->sopClassUid.c_str(), DcmXfer(head.syntax()).getXferID()};
    CutThroughDataSet data(std::move(stamped->bytes), head, fragments);
    const std::optional<ForwardResult> result = archive.storeCutThrough(kind, stamped->sopInstanceUid, data, request.archive);
    if (!result)
        return {RelayWay::StoreAndForward};
    if (data.failure() == CutThroughDataSet::Failure::Sender)
        return {RelayWay::CutThrough, true, *result};
    CountRelayWay(RelayWay::CutThrough);
    return {RelayWay::CutThrough, false, *result};
}

} // namespace

CutThroughOutcome CutThrough(DataSetHead& head, DcmDataset* parsedHead, SenderFragments& fragments,
                             const ForwardRequest& request, ArchiveSession& archive)
{
    try {
        return Forward(head, parsedHead, fragments, request, archive);
    } catch (...) {
        archive.abort();
        return {RelayWay::CutThrough, false, RelayFailure(QStringLiteral("relay error"))};
    }
}

} // namespace quorin::dicom
