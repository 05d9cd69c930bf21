// Fuzz target of the element header reader (dicom/internal/inbound/ElementHeaderReader):
// the first input byte picks Explicit or Implicit VR Little Endian and the
// size of the pieces the rest is fed in; the rest is a data set. What the
// reader accepts as whole must be what the toolkit reads from the same
// bytes, element for element, and the head it marks must read as the same
// elements too: the relay passes on unparsed what the reader accepted.

#include "FuzzCheck.h"
#include "dicom/internal/inbound/ElementHeaderReader.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdatset.h>
#include <dcmtk/dcmdata/dcelem.h>
#include <dcmtk/dcmdata/dcistrmb.h>
#include <dcmtk/dcmdata/dcobject.h>
#include <dcmtk/oflog/oflog.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

using quorin::dicom::ElementHeaderReader;

namespace {

constexpr std::uint32_t kOperatorsName = 0x00081070;
constexpr std::uint32_t kEverything = 0xFFFFFFFF;

// The top-level tags the toolkit reads from the bytes; none when it fails.
std::optional<std::vector<std::uint32_t>> ToolkitTags(const std::uint8_t* data, std::size_t size, bool explicitVr)
{
    DcmInputBufferStream stream;
    stream.setBuffer(data, offile_off_t(size));
    stream.setEos();
    DcmDataset dataset;
    dataset.transferInit();
    const OFCondition read
        = dataset.read(stream, explicitVr ? EXS_LittleEndianExplicit : EXS_LittleEndianImplicit, EGL_noChange);
    dataset.transferEnd();
    if (read.bad())
        return std::nullopt;
    std::vector<std::uint32_t> tags;
    for (unsigned long i = 0; i < dataset.card(); ++i) {
        const DcmTagKey key = dataset.getElement(i)->getTag();
        tags.push_back(std::uint32_t(key.getGroup()) << 16 | key.getElement());
    }
    return tags;
}

ElementHeaderReader ReadInPieces(const std::uint8_t* data, std::size_t size, bool explicitVr, std::uint32_t lastHeadTag,
                                 std::size_t piece)
{
    ElementHeaderReader reader(explicitVr, lastHeadTag);
    for (std::size_t at = 0; at < size; at += piece)
        reader.feed(reinterpret_cast<const char*>(data) + at, std::min(piece, size - at));
    return reader;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool quiet = [] {
        OFLog::configure(OFLogger::FATAL_LOG_LEVEL);
        dcmEnableAutomaticInputDataCorrection.set(OFFalse); // as the relay runs the toolkit
        return true;
    }();
    (void)quiet;
    if (size < 1)
        return 0;
    const bool explicitVr = (data[0] & 1) != 0;
    const std::size_t piece = std::size_t(data[0] >> 1) + 1;
    ++data;
    --size;

    const ElementHeaderReader whole = ReadInPieces(data, size, explicitVr, kEverything, size + 1);
    const ElementHeaderReader pieces = ReadInPieces(data, size, explicitVr, kEverything, piece);
    FUZZ_CHECK(whole.broken() == pieces.broken());
    FUZZ_CHECK(whole.betweenElements() == pieces.betweenElements());
    FUZZ_CHECK(whole.headTags() == pieces.headTags());

    if (whole.betweenElements()) {
        const auto tags = ToolkitTags(data, size, explicitVr);
        FUZZ_CHECK(tags.has_value());
        FUZZ_CHECK(*tags == whole.headTags());
    }

    const ElementHeaderReader head = ReadInPieces(data, size, explicitVr, kOperatorsName, piece);
    if (head.headEnd() && !head.broken()) {
        const auto tags = ToolkitTags(data, std::size_t(*head.headEnd()), explicitVr);
        FUZZ_CHECK(tags.has_value());
        FUZZ_CHECK(*tags == head.headTags());
    }
    return 0;
}
