#pragma once
// Reading stored files back in tests with DCMTK, for comparing what left the
// sender with what reached the archive.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

using TagNumbers = std::pair<quint16, quint16>;

// The dataset (not the file meta information) element by element, printed
// with full values (a sequence with its items), without the tags in
// `without` and without group lengths at any level: they follow from the
// encoding, which the toolkit may add or drop when it writes. With
// `decompressed` the pixel data is decoded first. Empty when the file cannot
// be read.
QStringList datasetElements(const QString& file, const QList<TagNumbers>& without = {}, bool decompressed = false);

// The raw bytes of a text element, as stored (no character set conversion),
// without the padding to even length; group 0002 from the meta information.
QByteArray rawValue(const QString& file, quint16 group, quint16 element);

// The transfer syntax UID of a file's meta information.
inline QString transferSyntaxOf(const QString& file)
{
    return QString::fromLatin1(rawValue(file, 0x0002, 0x0010));
}
