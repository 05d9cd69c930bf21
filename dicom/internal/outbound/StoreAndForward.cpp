#include "dicom/internal/outbound/StoreAndForward.h"

#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/ForwardRequest.h"
#include "dicom/internal/RelayWay.h"
#include "dicom/internal/inbound/ReceivedDataSet.h"
#include "dicom/internal/outbound/ArchiveSession.h"
#include "dicom/internal/outbound/OutgoingImage.h"

namespace quorin::dicom {

namespace {

ForwardResult Forward(OutgoingImage* image, const ForwardRequest& request, ArchiveSession& archive)
{
    if (!image)
        return RelayFailure(QStringLiteral("cannot read the received image"));
    if (!image->error().isEmpty() || !image->applyChanges(request.changes))
        return RelayFailure(image->error());
    CountRelayWay(RelayWay::StoreAndForward);
    return archive.store(*image, request.archive);
}

} // namespace

std::unique_ptr<OutgoingImage> ReadOutgoingImage(const ReceivedDataSet& received)
{
    try {
        return std::make_unique<OutgoingImage>(received);
    } catch (...) {
        return nullptr;
    }
}

ForwardResult StoreAndForward(OutgoingImage* image, const ForwardRequest& request, ArchiveSession& archive)
{
    try {
        return Forward(image, request, archive);
    } catch (const std::exception& e) {
        archive.release();
        return RelayFailure(QStringLiteral("relay error: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        archive.release();
        return RelayFailure(QStringLiteral("relay error"));
    }
}

ForwardResult StoreAndForward(const ReceivedDataSet& received, const ForwardRequest& request, ArchiveSession& archive)
{
    if (!received.good())
        return RelayFailure(QStringLiteral("cannot keep the received image"));
    const std::unique_ptr<OutgoingImage> image = ReadOutgoingImage(received);
    return StoreAndForward(image.get(), request, archive);
}

} // namespace quorin::dicom
