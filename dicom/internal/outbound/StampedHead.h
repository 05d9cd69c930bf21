#pragma once
// The head of a cut-through data set, read by the toolkit, with the
// handler's changes applied and written back in the data set's own
// transfer syntax. Its group length, if any, is corrected by the difference
// in size, which is all the stamp changes in group 0008.

#include "dicom/AttributeChange.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdatset.h>

#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace quorin::dicom {

class DataSetHead;

struct StampedHead {
    std::vector<char> bytes;
    OFString sopClassUid;
    OFString sopInstanceUid;
};

// The head as the toolkit reads it, before the changes are known (the
// worker reads it while the handler decides). Null when the toolkit reads
// other elements than the element header reader saw. Never throws.
std::unique_ptr<DcmDataset> ReadHead(const DataSetHead& head);

// Applies the changes to `parsed` (from readHead) and writes it out. Nothing
// when a change cannot be made in the head alone (a tag after it, a stamp
// that needs the whole data set recoded); `why` says which.
std::optional<StampedHead> StampHead(const DataSetHead& head, DcmDataset& parsed,
                                     const QList<AttributeChange>& changes, QString& why);

} // namespace quorin::dicom
