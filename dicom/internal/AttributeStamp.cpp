#include "dicom/internal/AttributeStamp.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcspchrs.h>

#include <QByteArray>
#include <algorithm>

namespace quorin::dicom {

namespace {

const char* const kUtf8Charset = "ISO_IR 192";

bool isAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}

OFString declaredCharset(DcmDataset& dataset)
{
    OFString charset;
    dataset.findAndGetOFStringArray(DCM_SpecificCharacterSet, charset);
    const size_t first = charset.find_first_not_of(' ');
    if (first == OFString_npos)
        return OFString();
    return charset.substr(first, charset.find_last_not_of(' ') - first + 1);
}

// False when `charset` is unknown, uses code extensions, or cannot carry a
// character of the text.
bool encodeIn(const OFString& charset, const QByteArray& utf8, OFString& encoded)
{
    DcmSpecificCharacterSet converter;
    if (converter.selectCharacterSet(kUtf8Charset, charset).bad())
        return false;
    return converter.convertString(utf8.constData(), size_t(utf8.size()), encoded).good();
}

QString recodeToUtf8(DcmDataset& dataset)
{
    const OFCondition converted = dataset.convertToUTF8();
    if (converted.bad())
        return QStringLiteral("cannot recode the image to UTF-8: %1").arg(converted.text());
    dataset.putAndInsertString(DCM_SpecificCharacterSet, kUtf8Charset);
    return QString();
}

// The value's bytes in a character set the dataset declares (recoding the
// dataset if needed).
QString encodeForDataset(DcmDataset& dataset, const QString& value, OFString& bytes)
{
    const QByteArray utf8 = value.toUtf8();
    if (isAscii(utf8)) {
        bytes = OFString(utf8.constData(), size_t(utf8.size()));
        return QString();
    }
    const OFString charset = declaredCharset(dataset);
    if (!charset.empty() && encodeIn(charset, utf8, bytes))
        return QString();
    const QString failure = recodeToUtf8(dataset);
    bytes = OFString(utf8.constData(), size_t(utf8.size()));
    return failure;
}

DcmTag tagForText(quint16 group, quint16 element)
{
    DcmTag tag(DcmTagKey(group, element));
    // Tags outside the dictionary (private ones included) get a plain text VR.
    if (tag.getEVR() == EVR_UNKNOWN || tag.getEVR() == EVR_UN)
        tag.setVR(DcmVR(EVR_LO));
    return tag;
}

} // namespace

QString stampAttribute(DcmDataset& dataset, quint16 group, quint16 element, const QString& value)
{
    OFString bytes;
    const QString failure = encodeForDataset(dataset, value, bytes);
    if (!failure.isEmpty())
        return failure;
    const OFCondition put = dataset.putAndInsertString(tagForText(group, element), bytes.c_str(),
                                                       Uint32(bytes.size()));
    if (put.bad())
        return QStringLiteral("cannot set (%1,%2): %3")
            .arg(group, 4, 16, QLatin1Char('0'))
            .arg(element, 4, 16, QLatin1Char('0'))
            .arg(put.text());
    return QString();
}

} // namespace quorin::dicom
