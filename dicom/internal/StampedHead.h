#pragma once
// The head of a data set passed on while it arrives, read by the toolkit,
// with the handler's changes applied and written back in the data set's own
// transfer syntax. Its group length, if any, is corrected by the difference
// in size, which is all the stamp changes in group 0008.

#include "dicom/ToolkitAttributeSet.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdatset.h>

#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace quorin::dicom {

class DataSetHead;

struct StampedHead {
    std::vector<char> bytes;
    OFString sopClassUid;
    OFString sopInstanceUid;
};

// Nothing when the change cannot be made in the head alone (a tag after it,
// a stamp that needs the whole data set recoded) or the toolkit reads the
// head otherwise than the element header reader did; `why` says which.
std::optional<StampedHead> stampHead(const DataSetHead& head, const QList<ToolkitAttributeSet::Change>& changes,
                                     QString& why);

} // namespace quorin::dicom
