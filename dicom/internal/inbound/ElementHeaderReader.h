#pragma once
// The one piece of DICOM encoding the relay reads by hand: the element
// headers (tag, VR, length) of a data set in Explicit or Implicit VR Little
// Endian, fed in pieces as they arrive. Values are stepped over unread;
// sequences and items are entered, so that those of undefined length end at
// their delimiters. It tells where the first top-level element after a given
// tag starts (the end of the part the relay rewrites before passing the rest
// on) and whether the bytes end exactly where an element does. Anything it
// does not expect makes it "broken" for good: the relay then takes the
// toolkit's word (store and forward) or refuses the image.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorin::dicom {

class ElementHeaderReader {
public:
    // `lastHeadTag`: group << 16 | element of the last tag that belongs to the head.
    ElementHeaderReader(bool explicitVr, std::uint32_t lastHeadTag);

    // The next bytes of the data set; false once they cannot be one.
    bool feed(const char* bytes, std::size_t count);

    bool broken() const { return m_broken; }
    // Where the first top-level element after lastHeadTag starts; none yet while unseen.
    std::optional<std::uint64_t> headEnd() const { return m_headEnd; }
    // The bytes so far end where a top-level element ends (or before the first).
    bool betweenElements() const;
    // The tags of the top-level elements before headEnd(), in order.
    const std::vector<std::uint32_t>& headTags() const { return m_headTags; }
    std::uint64_t bytesRead() const { return m_offset; }

private:
    static constexpr std::uint64_t kOpenEnd = UINT64_MAX; // undefined length: ends at a delimiter

    struct Frame {
        bool sequence;        // expects items; else data elements
        bool explicitVr;      // of the elements in it (or in its items)
        bool encapsulated;    // pixel data fragments: item values are not elements
        bool undefinedItem;   // an item of undefined length: ends at its delimiter
        std::uint64_t end;    // offset where it ends, or kOpenEnd
        std::uint32_t lastTag = 0;
        bool anyTag = false;
    };

    std::size_t headerBytesNeeded() const;
    void onHeader();
    void onItemHeader(std::uint32_t tag, std::uint32_t length);
    void onElementHeader(std::uint32_t tag, std::uint32_t length, const char* vr);
    bool orderedAndRecorded(std::uint32_t tag);
    void closeEndedFrames();
    void fail() { m_broken = true; }

    const std::uint32_t m_lastHeadTag;
    std::vector<Frame> m_frames;
    std::uint64_t m_offset = 0;
    std::uint64_t m_elementStart = 0;
    std::uint64_t m_skip = 0; // value bytes still to step over
    unsigned char m_header[12] = {};
    std::size_t m_headerFill = 0;
    std::optional<std::uint64_t> m_headEnd;
    std::vector<std::uint32_t> m_headTags;
    bool m_broken = false;
};

} // namespace quorin::dicom
