#include "dicom/internal/outbound/StampedHead.h"

#include "dicom/internal/inbound/DataSetHead.h"
#include "dicom/internal/outbound/AttributeStamp.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcelem.h>
#include <dcmtk/dcmdata/dcistrmb.h>
#include <dcmtk/dcmdata/dcostrmb.h>

namespace quorin::dicom {

namespace {

const E_EncodingType kSequenceEncoding = EET_ExplicitLength;
const DcmTagKey kGroupLength(0x0008, 0x0000);

bool ReadInto(DcmDataset& dataset, const DataSetHead& head)
{
    DcmInputBufferStream stream;
    stream.setBuffer(head.bytes().data(), offile_off_t(head.headSize()));
    stream.setEos();
    dataset.transferInit();
    const OFCondition read = dataset.read(stream, head.syntax(), EGL_noChange);
    dataset.transferEnd();
    return read.good();
}

bool SameElements(DcmDataset& dataset, const std::vector<std::uint32_t>& tags)
{
    if (dataset.card() != tags.size())
        return false;
    for (unsigned long i = 0; i < dataset.card(); ++i) {
        const DcmTagKey key = dataset.getElement(i)->getTag();
        if ((std::uint32_t(key.getGroup()) << 16 | key.getElement()) != tags[i])
            return false;
    }
    return true;
}

QString ApplyChanges(DcmDataset& dataset, const QList<AttributeChange>& changes)
{
    for (const AttributeChange& change : changes) {
        if (change.group != 0x0008 || (std::uint32_t(change.group) << 16 | change.element) > DataSetHead::kLastHeadTag)
            return QStringLiteral("a change after the head");
        if (StampRecodesDataset(dataset, change.value))
            return QStringLiteral("the stamp needs the data set recoded");
        const QString failure = StampAttribute(dataset, change.group, change.element, change.value);
        if (!failure.isEmpty())
            return failure;
    }
    return QString();
}

// (0008,0000), where present, counts the bytes of the whole group.
void CorrectGroupLength(DcmDataset& dataset, std::int64_t sizeChange)
{
    Uint32 length = 0;
    if (dataset.findAndGetUint32(kGroupLength, length).good())
        dataset.putAndInsertUint32(kGroupLength, Uint32(std::int64_t(length) + sizeChange));
}

bool Write(DcmDataset& dataset, E_TransferSyntax syntax, std::vector<char>& bytes)
{
    bytes.resize(dataset.getLength(syntax, kSequenceEncoding));
    DcmOutputBufferStream stream(bytes.data(), offile_off_t(bytes.size()));
    dataset.transferInit();
    const OFCondition written = dataset.write(stream, syntax, kSequenceEncoding, nullptr, EGL_noChange, EPD_noChange);
    dataset.transferEnd();
    void* buffer = nullptr;
    offile_off_t length = 0;
    stream.flushBuffer(buffer, length);
    return written.good() && std::size_t(length) == bytes.size() && bytes.size() % 2 == 0;
}

} // namespace

std::unique_ptr<DcmDataset> ReadHead(const DataSetHead& head)
{
    try {
        auto dataset = std::make_unique<DcmDataset>();
        if (!ReadInto(*dataset, head) || !SameElements(*dataset, head.reader().headTags()))
            return nullptr;
        return dataset;
    } catch (...) {
        return nullptr;
    }
}

std::optional<StampedHead> StampHead(const DataSetHead& head, DcmDataset& dataset,
                                     const QList<AttributeChange>& changes, QString& why)
{
    why = ApplyChanges(dataset, changes);
    if (!why.isEmpty())
        return std::nullopt;
    StampedHead stamped;
    if (dataset.findAndGetOFString(DCM_SOPClassUID, stamped.sopClassUid).bad()
        || dataset.findAndGetOFString(DCM_SOPInstanceUID, stamped.sopInstanceUid).bad()) {
        why = QStringLiteral("no SOP Class or SOP Instance UID in the head");
        return std::nullopt;
    }
    CorrectGroupLength(dataset, std::int64_t(dataset.getLength(head.syntax(), kSequenceEncoding))
                                    - std::int64_t(head.headSize()));
    if (!Write(dataset, head.syntax(), stamped.bytes)) {
        why = QStringLiteral("cannot write the stamped head");
        return std::nullopt;
    }
    return stamped;
}

} // namespace quorin::dicom
