#pragma once
// The forward of an image while it arrives (cut-through): the stamped head,
// then the rest of the data set passed on fragment by fragment. Whether an
// image can go this way is settled before its first byte goes to the
// archive; when it cannot, the caller receives the rest and stores and
// forwards it.

#include "dicom/ForwardResult.h"
#include "dicom/internal/RelayWay.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdatset.h>

namespace quorin::dicom {

struct ForwardRequest;
class ArchiveSession;
class DataSetHead;
class SenderFragments;

struct CutThroughOutcome {
    // CutThrough: `result` holds the outcome (the archive's, or a relay
    // failure). StoreAndForward: nothing went to the archive; the caller
    // receives the rest, then forwards it.
    RelayWay way = RelayWay::CutThrough;
    // The sender went mid-image; the archive association was aborted. No
    // one to answer, nothing to report.
    bool senderGone = false;
    ForwardResult result = {};
};

// `parsedHead`: the head as readHead() gave it (null: store and forward).
// Never throws. The sender's fragments may be left unread after an answer
// (the archive failed): the caller reads and drops them.
CutThroughOutcome CutThrough(DataSetHead& head, DcmDataset* parsedHead, SenderFragments& fragments,
                             const ForwardRequest& request, ArchiveSession& archive);

} // namespace quorin::dicom
