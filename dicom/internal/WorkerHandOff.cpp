#include "dicom/internal/WorkerHandOff.h"

#include "dicom/ToolkitImage.h"
#include "dicom/internal/CoalescingConnection.h"
#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/ListenerLink.h"
#include "dicom/internal/RelayPaths.h"
#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/WorkerStop.h"
#include "dicom/internal/outbound/ArchiveSession.h"
#include "dicom/internal/outbound/OutgoingImage.h"

#include <memory>

namespace quorin::dicom {

namespace {

// Null when the toolkit threw; the forward then reports the failure.
std::unique_ptr<OutgoingImage> parse(const ReceivedDataSet& received)
{
    try {
        return std::make_unique<OutgoingImage>(received);
    } catch (...) {
        return nullptr;
    }
}

ForwardResult forward(OutgoingImage* image, const ForwardRequest& request, ArchiveSession& archive)
{
    if (request.archiveIP.trimmed().isEmpty() || request.archivePort < 1 || request.archivePort > 65535)
        return relayFailure(QStringLiteral("invalid archive address"));
    if (!image)
        return relayFailure(QStringLiteral("cannot read the received image"));
    if (!image->error().isEmpty() || !image->applyChanges(request.changes))
        return relayFailure(image->error());
    const ArchiveAddress address{request.archiveIP.trimmed(), request.archivePort, request.localAET,
                                 request.archiveAET};
    countRelayPath(RelayPath::StoreAndForward);
    return archive.store(*image, address);
}

ForwardResult forwardCatchingAll(OutgoingImage* image, const ForwardRequest& request, ArchiveSession& archive)
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

} // namespace

std::optional<ForwardRequest> awaitDecision(ListenerLink& link, std::shared_ptr<ToolkitConnection> connection,
                                            const QString& sopInstanceUid, WorkerStop& stop,
                                            const std::function<void()>& meanwhile)
{
    pushHeldWrites(); // nothing waits on this thread's sockets while it waits for the handler
    auto channel = std::make_shared<ToolkitImageChannel>(sopInstanceUid);
    if (!link.raise(std::move(connection), std::make_shared<ToolkitImage>(channel)))
        return std::nullopt;
    if (meanwhile)
        meanwhile();
    // A stop gives the image up as its handler would.
    stop.setWake([channel] { channel->release(); });
    std::optional<ForwardRequest> request = channel->waitForDecision(kImageDecisionTimeout);
    markTimeline(TimelineStage::DecisionBack);
    stop.setWake({});
    return request;
}

ForwardResult forwardReceived(const ReceivedDataSet& received, const ForwardRequest& request, ArchiveSession& archive)
{
    const std::unique_ptr<OutgoingImage> image = parse(received);
    return forwardCatchingAll(image.get(), request, archive);
}

quint16 handOffImage(ListenerLink& link, std::shared_ptr<ToolkitConnection> connection,
                     const QString& sopInstanceUid, const ReceivedDataSet& received, ArchiveSession& archive,
                     WorkerStop& stop)
{
    // Parsed while the handler decides: the decision needs nothing from the
    // parsed image, and this thread would only wait. The changes are
    // applied once the decision is in.
    std::unique_ptr<OutgoingImage> image;
    const std::optional<ForwardRequest> request
        = awaitDecision(link, std::move(connection), sopInstanceUid, stop, [&] { image = parse(received); });
    if (!request)
        return kStatusRelayFailure;
    const ForwardResult result = forwardCatchingAll(image.get(), *request, archive);
    request->reportResult(result);
    return result.status;
}

} // namespace quorin::dicom
