#include "dicom/internal/outbound/StoreAndForward.h"

#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/ForwardRequest.h"
#include "dicom/internal/RelayWay.h"
#include "dicom/internal/inbound/ReceivedDataSet.h"
#include "dicom/internal/outbound/ArchiveSession.h"
#include "dicom/internal/outbound/OutgoingImage.h"

namespace quorin::dicom {

namespace {

ForwardResult forward(OutgoingImage* image, const ForwardRequest& request, ArchiveSession& archive)
{
    if (!image)
        return relayFailure(QStringLiteral("cannot read the received image"));
    if (!image->error().isEmpty() || !image->applyChanges(request.changes))
        return relayFailure(image->error());
    countRelayWay(RelayWay::StoreAndForward);
    return archive.store(*image, request.archive);
}

} // namespace

std::unique_ptr<OutgoingImage> readOutgoingImage(const ReceivedDataSet& received)
{
    try {
        return std::make_unique<OutgoingImage>(received);
    } catch (...) {
        return nullptr;
    }
}

ForwardResult storeAndForward(OutgoingImage* image, const ForwardRequest& request, ArchiveSession& archive)
{
    try {
        return forward(image, request, archive);
    } catch (const std::exception& e) {
        archive.release();
        return relayFailure(QStringLiteral("relay error: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        archive.release();
        return relayFailure(QStringLiteral("relay error"));
    }
}

ForwardResult storeAndForward(const ReceivedDataSet& received, const ForwardRequest& request, ArchiveSession& archive)
{
    if (!received.good())
        return relayFailure(QStringLiteral("cannot keep the received image"));
    const std::unique_ptr<OutgoingImage> image = readOutgoingImage(received);
    return storeAndForward(image.get(), request, archive);
}

} // namespace quorin::dicom
