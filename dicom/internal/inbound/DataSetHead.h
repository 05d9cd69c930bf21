#pragma once
// The start of a data set as it arrives, up to and including Operators'
// Name (0008,1070): the part the relay rewrites before it passes the rest
// on unread. Read fragment by fragment through the element header reader,
// which also goes on checking the rest as it passes.

#include "dicom/internal/inbound/ElementHeaderReader.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcxfer.h>
#include <dcmtk/ofstd/ofcond.h>

#include <cstddef>
#include <vector>

namespace quorin::dicom {

class SenderFragments;

class DataSetHead {
public:
    static constexpr std::uint32_t kLastHeadTag = 0x00081070;
    // A head this long is not a plain first group; such an image is stored
    // and forwarded.
    static constexpr std::size_t kMaxBytes = 1024 * 1024;

    explicit DataSetHead(E_TransferSyntax syntax);

    // Whether data sets in `syntax` can go cut-through at all (passed on
    // unread): little endian, not deflated.
    static bool cutThroughSyntax(E_TransferSyntax syntax);

    // Reads fragments until the head is whole, the data set ended, or the
    // bytes cannot be one; an error when the sender failed.
    OFCondition read(SenderFragments& fragments);

    // The head is whole and plain (group 0008 only, even length), and so is
    // the data set so far: the relay may rewrite it alone and send the rest
    // cut-through.
    bool plain() const;

    E_TransferSyntax syntax() const { return m_syntax; }
    // Every byte read so far: the head, and what followed it in its fragment.
    const std::vector<char>& bytes() const { return m_bytes; }
    std::size_t headSize() const;
    // The sender's last fragment is among bytes().
    bool complete() const { return m_complete; }
    // Goes on with the bytes after bytes().
    ElementHeaderReader& reader() { return m_reader; }
    const ElementHeaderReader& reader() const { return m_reader; }

private:
    const E_TransferSyntax m_syntax;
    ElementHeaderReader m_reader;
    std::vector<char> m_bytes;
    bool m_complete = false;
};

} // namespace quorin::dicom
