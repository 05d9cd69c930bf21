#include "dicom/internal/inbound/ElementHeaderReader.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dctag.h>

#include <algorithm>
#include <cstring>

namespace quorin::dicom {

namespace {

constexpr std::uint32_t kItem = 0xFFFEE000;
constexpr std::uint32_t kItemEnd = 0xFFFEE00D;
constexpr std::uint32_t kSequenceEnd = 0xFFFEE0DD;
constexpr std::uint32_t kPixelData = 0x7FE00010;
constexpr std::uint32_t kUndefinedLength = 0xFFFFFFFF;

std::uint16_t Uint16At(const unsigned char* bytes)
{
    return std::uint16_t(bytes[0] | bytes[1] << 8);
}

std::uint32_t Uint32At(const unsigned char* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16
           | std::uint32_t(bytes[3]) << 24;
}

std::uint32_t TagAt(const unsigned char* bytes)
{
    return std::uint32_t(Uint16At(bytes)) << 16 | Uint16At(bytes + 2);
}

bool IsVr(const char* vr, const char* name)
{
    return vr[0] == name[0] && vr[1] == name[1];
}

bool IsKnownVr(const char* vr)
{
    static const char* const known[] = {"AE", "AS", "AT", "CS", "DA", "DS", "DT", "FD", "FL", "IS", "LO",
                                        "LT", "OB", "OD", "OF", "OL", "OV", "OW", "PN", "SH", "SL", "SQ",
                                        "SS", "ST", "SV", "TM", "UC", "UI", "UL", "UN", "UR", "US", "UT",
                                        "UV"};
    return std::any_of(std::begin(known), std::end(known), [vr](const char* name) { return IsVr(vr, name); });
}

// Explicit VRs whose length takes four bytes (after two reserved ones).
bool HasLongLength(const char* vr)
{
    static const char* const longer[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC", "UN", "UR",
                                         "UT", "UV"};
    return std::any_of(std::begin(longer), std::end(longer), [vr](const char* name) { return IsVr(vr, name); });
}

// Implicit VR names no VR: the toolkit reads a value as a sequence when its
// dictionary says so (or, at undefined length, knows no VR for the tag), and
// so must this reader, or they would disagree on what follows.
DcmEVR DictionaryVr(std::uint32_t tag)
{
    return DcmTag(DcmTagKey(std::uint16_t(tag >> 16), std::uint16_t(tag))).getEVR();
}

bool ImplicitSequence(std::uint32_t tag, bool undefined)
{
    const DcmEVR vr = DictionaryVr(tag);
    return vr == EVR_SQ || (undefined && (vr == EVR_UN || vr == EVR_UNKNOWN || vr == EVR_UNKNOWN2B));
}

} // namespace

ElementHeaderReader::ElementHeaderReader(bool explicitVr, std::uint32_t lastHeadTag)
    : m_lastHeadTag(lastHeadTag)
{
    m_frames.push_back(Frame{false, explicitVr, false, false, kOpenEnd});
}

bool ElementHeaderReader::betweenElements() const
{
    return !m_broken && m_frames.size() == 1 && m_skip == 0 && m_headerFill == 0;
}

bool ElementHeaderReader::feed(const char* bytes, std::size_t count)
{
    while (count > 0 && !m_broken) {
        if (m_skip > 0) {
            const std::size_t step = std::size_t(std::min<std::uint64_t>(m_skip, count));
            m_skip -= step;
            m_offset += step;
            bytes += step;
            count -= step;
            if (m_skip == 0)
                closeEndedFrames();
            continue;
        }
        if (m_headerFill == 0)
            m_elementStart = m_offset;
        const std::size_t step = std::min(headerBytesNeeded() - m_headerFill, count);
        std::memcpy(m_header + m_headerFill, bytes, step);
        m_headerFill += step;
        m_offset += step;
        bytes += step;
        count -= step;
        if (m_headerFill == headerBytesNeeded()) {
            onHeader();
            m_headerFill = 0;
            if (m_skip == 0)
                closeEndedFrames();
        }
    }
    return !m_broken;
}

// Eight bytes tell the rest: tag and length, or tag, VR and a short length,
// or tag, VR and two reserved bytes before a four-byte length.
std::size_t ElementHeaderReader::headerBytesNeeded() const
{
    if (m_headerFill < 8)
        return 8;
    const Frame& frame = m_frames.back();
    const bool itemOrDelimiter = Uint16At(m_header) == 0xFFFE;
    if (frame.sequence || itemOrDelimiter || !frame.explicitVr)
        return 8;
    return HasLongLength(reinterpret_cast<const char*>(m_header + 4)) ? 12 : 8;
}

void ElementHeaderReader::onHeader()
{
    const std::uint32_t tag = TagAt(m_header);
    const Frame& frame = m_frames.back();
    if (frame.sequence || tag >> 16 == 0xFFFE || !frame.explicitVr) {
        const std::uint32_t length = Uint32At(m_header + 4);
        if (frame.sequence || tag >> 16 == 0xFFFE)
            onItemHeader(tag, length);
        else
            onElementHeader(tag, length, nullptr);
        return;
    }
    const char* vr = reinterpret_cast<const char*>(m_header + 4);
    if (!IsKnownVr(vr))
        return fail();
    if (HasLongLength(vr)) {
        if (Uint16At(m_header + 6) != 0)
            return fail(); // the reserved bytes
        onElementHeader(tag, Uint32At(m_header + 8), vr);
    } else {
        onElementHeader(tag, Uint16At(m_header + 6), vr);
    }
}

void ElementHeaderReader::onItemHeader(std::uint32_t tag, std::uint32_t length)
{
    Frame& frame = m_frames.back();
    if (!frame.sequence) {
        // Only an item of undefined length ends with a delimiter, of length 0.
        if (tag != kItemEnd || !frame.undefinedItem || length != 0)
            return fail();
        m_frames.pop_back();
        return;
    }
    if (tag == kSequenceEnd && frame.end == kOpenEnd && length == 0) {
        m_frames.pop_back();
        return;
    }
    if (tag != kItem)
        return fail();
    if (frame.encapsulated) {
        if (length == kUndefinedLength)
            return fail();
        m_skip = length; // a fragment of compressed pixel data
        return;
    }
    const bool undefined = length == kUndefinedLength;
    m_frames.push_back(Frame{false, frame.explicitVr, false, undefined, undefined ? kOpenEnd : m_offset + length});
}

void ElementHeaderReader::onElementHeader(std::uint32_t tag, std::uint32_t length, const char* vr)
{
    if (!orderedAndRecorded(tag))
        return fail();
    const bool explicitVr = vr != nullptr;
    const bool undefined = length == kUndefinedLength;
    const std::uint64_t end = undefined ? kOpenEnd : m_offset + length;
    if (undefined && tag == kPixelData && (!explicitVr || IsVr(vr, "OB") || IsVr(vr, "OW"))) {
        m_frames.push_back(Frame{true, explicitVr, true, false, kOpenEnd});
    } else if (explicitVr ? IsVr(vr, "SQ") : ImplicitSequence(tag, undefined)) {
        m_frames.push_back(Frame{true, explicitVr, false, false, end});
    } else if (explicitVr && undefined && IsVr(vr, "UN")) {
        // A sequence whose VR was unknown to its writer: items in Implicit VR.
        m_frames.push_back(Frame{true, false, false, false, kOpenEnd});
    } else if (undefined) {
        fail();
    } else {
        m_skip = length;
    }
}

// Tags rise within a data set or item; the toolkit would sort them, and then
// its reading and this one would no longer agree on where an element is.
bool ElementHeaderReader::orderedAndRecorded(std::uint32_t tag)
{
    Frame& frame = m_frames.back();
    if (frame.anyTag && tag <= frame.lastTag)
        return false;
    frame.lastTag = tag;
    frame.anyTag = true;
    if (m_frames.size() == 1 && !m_headEnd) {
        if (tag > m_lastHeadTag)
            m_headEnd = m_elementStart;
        else
            m_headTags.push_back(tag);
    }
    return true;
}

// Items and sequences of defined length end where their length says.
void ElementHeaderReader::closeEndedFrames()
{
    while (m_frames.size() > 1 && m_frames.back().end != kOpenEnd) {
        if (m_frames.back().end > m_offset)
            return;
        if (m_frames.back().end < m_offset)
            return fail();
        m_frames.pop_back();
    }
}

} // namespace quorin::dicom
