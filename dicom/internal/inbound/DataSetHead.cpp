#include "dicom/internal/inbound/DataSetHead.h"

#include "dicom/internal/inbound/SenderFragments.h"

#include <algorithm>

namespace quorin::dicom {

DataSetHead::DataSetHead(E_TransferSyntax syntax)
    : m_syntax(syntax)
    , m_reader(DcmXfer(syntax).isExplicitVR(), kLastHeadTag)
{
}

bool DataSetHead::cutThroughSyntax(E_TransferSyntax syntax)
{
    const DcmXfer xfer(syntax);
    return syntax != EXS_Unknown && xfer.isLittleEndian() && xfer.getStreamCompression() == ESC_none;
}

OFCondition DataSetHead::read(SenderFragments& fragments)
{
    DUL_PDV fragment;
    while (!m_complete && !m_reader.broken() && !m_reader.headEnd() && m_bytes.size() <= kMaxBytes) {
        const OFCondition next = fragments.next(fragment);
        if (next.bad())
            return next;
        const char* data = static_cast<const char*>(fragment.data);
        m_bytes.insert(m_bytes.end(), data, data + fragment.fragmentLength);
        m_reader.feed(data, fragment.fragmentLength);
        m_complete = fragments.finished();
    }
    return EC_Normal;
}

std::size_t DataSetHead::headSize() const
{
    return m_reader.headEnd() ? std::size_t(*m_reader.headEnd()) : m_bytes.size();
}

bool DataSetHead::plain() const
{
    if (m_reader.broken() || (!m_reader.headEnd() && !m_complete) || headSize() % 2 != 0)
        return false;
    if (m_complete && !m_reader.betweenElements())
        return false; // the data set ends inside an element: the toolkit's reading decides
    const auto& tags = m_reader.headTags();
    return !tags.empty() && std::all_of(tags.begin(), tags.end(), [](std::uint32_t tag) { return tag >> 16 == 0x0008; });
}

} // namespace quorin::dicom
