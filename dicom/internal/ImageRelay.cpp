#include "dicom/internal/ImageRelay.h"

#include "dicom/ToolkitImage.h"
#include "dicom/internal/ArchiveSession.h"
#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/ListenerLink.h"
#include "dicom/internal/NetworkTimeouts.h"
#include "dicom/internal/OutgoingImage.h"
#include "dicom/internal/ToolkitImageChannel.h"

namespace quorin::dicom {

namespace {

ForwardResult forward(const ReceivedDataSet& received, const ForwardRequest& request, ArchiveSession& archive)
{
    if (request.archiveIP.trimmed().isEmpty() || request.archivePort < 1 || request.archivePort > 65535)
        return relayFailure(QStringLiteral("invalid archive address"));
    OutgoingImage image(received);
    if (!image.error().isEmpty() || !image.applyChanges(request.changes))
        return relayFailure(image.error());
    const ArchiveAddress address{request.archiveIP.trimmed(), request.archivePort, request.localAET,
                                 request.archiveAET};
    return archive.store(image, address);
}

ForwardResult forwardCatchingAll(const ReceivedDataSet& received, const ForwardRequest& request,
                                 ArchiveSession& archive)
{
    try {
        return forward(received, request, archive);
    } catch (const std::exception& e) {
        archive.release();
        return relayFailure(QStringLiteral("relay error: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        archive.release();
        return relayFailure(QStringLiteral("relay error"));
    }
}

} // namespace

quint16 relayImage(ListenerLink& link, std::shared_ptr<ToolkitConnection> connection,
                   const QString& sopInstanceUid, const ReceivedDataSet& received, ArchiveSession& archive)
{
    auto channel = std::make_shared<ToolkitImageChannel>(sopInstanceUid);
    if (!link.raise(std::move(connection), std::make_shared<ToolkitImage>(channel)))
        return kStatusRelayFailure;
    const std::optional<ForwardRequest> request = channel->waitForDecision(kImageDecisionTimeout);
    if (!request)
        return kStatusRelayFailure;
    const ForwardResult result = forwardCatchingAll(received, *request, archive);
    request->reportResult(result);
    return result.status;
}

} // namespace quorin::dicom
