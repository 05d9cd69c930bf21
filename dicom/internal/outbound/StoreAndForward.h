#pragma once
// Store and forward's way to the archive: a received image parsed (from
// memory, or from its temporary file), stamped with the handler's changes
// and stored whole.

#include "dicom/ForwardResult.h"

#include <memory>

namespace quorin::dicom {

struct ForwardRequest;
class ArchiveSession;
class OutgoingImage;
class ReceivedDataSet;

// The received image, parsed; null when the toolkit threw (the forward then
// reports the failure). Never throws.
std::unique_ptr<OutgoingImage> ReadOutgoingImage(const ReceivedDataSet& received);

// Stamps `image` (from readOutgoingImage) and stores it as `request` asks.
// Never throws.
ForwardResult StoreAndForward(OutgoingImage* image, const ForwardRequest& request, ArchiveSession& archive);
// The same, the image parsed first; a data set that was not kept is a failure.
ForwardResult StoreAndForward(const ReceivedDataSet& received, const ForwardRequest& request, ArchiveSession& archive);

} // namespace quorin::dicom
