#pragma once
// The hand-off of one received image between its worker and the GUI thread:
// raise it there, wait for the handler's decision, carry out the forward,
// report the outcome to both the handler and (through the returned status)
// the image's sender.

#include "dicom/ForwardResult.h"
#include "dicom/internal/ToolkitImageChannel.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

struct ToolkitConnection;

namespace quorin::dicom {

class ArchiveSession;
class ListenerLink;
class ReceivedDataSet;
class WorkerStop;

// Raises the image and waits for the handler's decision; `meanwhile` runs
// on this thread in between. Nothing when the image was not raised, was let
// go, or no decision came; `stop` also ends the wait.
std::optional<ForwardRequest> awaitDecision(ListenerLink& link, std::shared_ptr<ToolkitConnection> connection,
                                            const QString& sopInstanceUid, WorkerStop& stop,
                                            const std::function<void()>& meanwhile = {});

// Store and forward of a whole received image: parsed, changed, sent. Never throws.
ForwardResult forwardReceived(const ReceivedDataSet& received, const ForwardRequest& request, ArchiveSession& archive);

// The whole way of a received image by store and forward. The status to
// answer the sender with: the archive's own when it was asked, a relay
// failure when the image was not raised, not forwarded, or the archive
// could not be reached.
quint16 handOffImage(ListenerLink& link, std::shared_ptr<ToolkitConnection> connection,
                     const QString& sopInstanceUid, const ReceivedDataSet& received, ArchiveSession& archive,
                     WorkerStop& stop);

} // namespace quorin::dicom
