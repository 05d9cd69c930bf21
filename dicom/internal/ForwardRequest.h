#pragma once
// The handler's decision to forward an image, as the worker that received
// it carries it out: where the image goes, the attribute changes to apply,
// and who hears the outcome.

#include "dicom/ForwardResult.h"
#include "dicom/ArchiveAddress.h"
#include "dicom/AttributeChange.h"

#include <QList>
#include <functional>

namespace quorin::dicom {

struct ForwardRequest {
    ArchiveAddress archive;
    QList<AttributeChange> changes;
    // Hands the outcome to the handler's side; callable from any thread.
    std::function<void(const ForwardResult&)> reportResult;
};

} // namespace quorin::dicom
