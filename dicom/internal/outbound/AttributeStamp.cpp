#include "dicom/internal/outbound/AttributeStamp.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcelem.h>
#include <dcmtk/dcmdata/dcspchrs.h>

#include <QByteArray>
#include <QHash>
#include <algorithm>

namespace quorin::dicom {

namespace {

const char* const kUtf8Charset = "ISO_IR 192";

bool IsAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}

OFString DeclaredCharset(DcmDataset& dataset)
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
bool EncodeIn(const OFString& charset, const QByteArray& utf8, OFString& encoded)
{
    DcmSpecificCharacterSet converter;
    if (converter.selectCharacterSet(kUtf8Charset, charset).bad())
        return false;
    return converter.convertString(utf8.constData(), size_t(utf8.size()), encoded).good();
}

QString RecodeToUtf8(DcmDataset& dataset)
{
    const OFCondition converted = dataset.convertToUTF8();
    if (converted.bad())
        return QStringLiteral("cannot recode the image to UTF-8: %1").arg(converted.text());
    dataset.putAndInsertString(DCM_SpecificCharacterSet, kUtf8Charset);
    return QString();
}

// ISO 2022 code extensions (or several character sets, which only they allow).
bool UsesCodeExtensions(const OFString& charset)
{
    return charset.find("ISO 2022") != OFString_npos || charset.find('\\') != OFString_npos;
}

// Latin-1 for a value in a data set with code extensions. Short codes come
// from the Windows-1252 settings file, whose 27 characters beyond Latin-1
// cannot go into such a data set as they are: UTF-8 does not mix with code
// extensions, and ISO 2022 IR 203 (Latin-9) would carry only 8 of them and
// is unknown to many readers. Refusing the image is no option, so they
// become their usual ASCII look-alikes, which lose less than "?" ("Š" still
// reads as S, "Œ" as OE, "€" as EUR); at most three characters each keeps a
// 16-character code within a name's 64. "ˆ" becomes "?" ("^" would split the
// name), as do C1 controls and any other character.
QByteArray Latin1Transliterated(const QString& value)
{
    static const QHash<char16_t, QByteArray> lookAlikes{
        {u'€', "EUR"}, {u'‚', "'"},  {u'ƒ', "f"},  {u'„', "\""}, {u'…', "..."}, {u'†', "+"},  {u'‡', "+"},
        {u'ˆ', "?"},   {u'‰', "%"},  {u'Š', "S"},  {u'‹', "<"},  {u'Œ', "OE"},  {u'Ž', "Z"},  {u'‘', "'"},
        {u'’', "'"},   {u'“', "\""}, {u'”', "\""}, {u'•', "*"},  {u'–', "-"},   {u'—', "-"},  {u'˜', "~"},
        {u'™', "TM"},  {u'š', "s"},  {u'›', ">"},  {u'œ', "oe"}, {u'ž', "z"},   {u'Ÿ', "Y"},
    };
    QByteArray latin1;
    for (const QChar c : value) {
        const char16_t code = c.unicode();
        if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) // not the C1 controls
            latin1 += char(code);
        else
            latin1 += lookAlikes.value(code, QByteArrayLiteral("?"));
    }
    return latin1;
}

// Adds ISO 2022 IR 100 as a further value of (0008,0005) unless declared;
// the existing values keep their order (the first one may be empty).
QString DeclareLatin1Extension(DcmDataset& dataset)
{
    const OFString latin1 = "ISO 2022 IR 100";
    DcmElement* element = nullptr;
    if (dataset.findAndGetElement(DCM_SpecificCharacterSet, element).bad())
        return QStringLiteral("the image has no character set to extend");
    OFString value;
    for (unsigned long i = 0; i < element->getVM(); ++i) {
        if (element->getOFString(value, i).good() && value == latin1)
            return QString();
    }
    OFString values;
    element->getOFStringArray(values);
    const OFCondition put = element->putOFStringArray(values + "\\" + latin1);
    if (put.bad())
        return QStringLiteral("cannot add %1 to the character set: %2").arg(latin1.c_str(), put.text());
    return QString();
}

// An image with code extensions is not recoded: the toolkit's converter
// lacks the Japanese and Chinese sets, and UTF-8 does not mix with code
// extensions. Instead the value is written in Latin-1, designated to G1 by
// ESC 02/13 04/01 in front of the first byte over 0x7F after each point
// where the state returns to that of the first character set: the start,
// "^" and "=" in names, "\" between values, and control characters. Only G1
// changes and G0 keeps its set, so no escape back is needed at the end.
QString EncodeWithLatin1Extension(DcmDataset& dataset, const QString& value, OFString& bytes)
{
    const QByteArray latin1 = Latin1Transliterated(value);
    bytes.clear();
    bool designated = false;
    for (const char c : latin1) {
        if (c == '^' || c == '=' || c == '\\' || uchar(c) < 0x20) {
            designated = false;
        } else if ((c & 0x80) != 0 && !designated) {
            bytes += "\x1b\x2d\x41";
            designated = true;
        }
        bytes += c;
    }
    return IsAscii(latin1) ? QString() : DeclareLatin1Extension(dataset);
}

// The value's bytes in a character set the dataset declares (recoding the
// dataset if needed).
QString EncodeForDataset(DcmDataset& dataset, const QString& value, OFString& bytes)
{
    const QByteArray utf8 = value.toUtf8();
    if (IsAscii(utf8)) {
        bytes = OFString(utf8.constData(), size_t(utf8.size()));
        return QString();
    }
    const OFString charset = DeclaredCharset(dataset);
    if (UsesCodeExtensions(charset))
        return EncodeWithLatin1Extension(dataset, value, bytes);
    if (!charset.empty() && EncodeIn(charset, utf8, bytes))
        return QString();
    const QString failure = RecodeToUtf8(dataset);
    bytes = OFString(utf8.constData(), size_t(utf8.size()));
    return failure;
}

DcmTag TagForText(quint16 group, quint16 element)
{
    DcmTag tag(DcmTagKey(group, element));
    // Tags outside the dictionary (private ones included) get a plain text VR.
    if (tag.getEVR() == EVR_UNKNOWN || tag.getEVR() == EVR_UN)
        tag.setVR(DcmVR(EVR_LO));
    return tag;
}

} // namespace

bool StampRecodesDataset(DcmDataset& dataset, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    if (IsAscii(utf8))
        return false;
    const OFString charset = DeclaredCharset(dataset);
    OFString encoded;
    return !UsesCodeExtensions(charset) && (charset.empty() || !EncodeIn(charset, utf8, encoded));
}

QString StampAttribute(DcmDataset& dataset, quint16 group, quint16 element, const QString& value)
{
    OFString bytes;
    const QString failure = EncodeForDataset(dataset, value, bytes);
    if (!failure.isEmpty())
        return failure;
    const OFCondition put = dataset.putAndInsertString(TagForText(group, element), bytes.c_str(),
                                                       Uint32(bytes.size()));
    if (put.bad())
        return QStringLiteral("cannot set (%1,%2): %3")
            .arg(group, 4, 16, QLatin1Char('0'))
            .arg(element, 4, 16, QLatin1Char('0'))
            .arg(put.text());
    return QString();
}

} // namespace quorin::dicom
