#pragma once
// Reading stored files back in tests with DCMTK, for comparing what left the
// sender with what reached the archive.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

using TagNumbers = std::pair<quint16, quint16>;

// The dataset element by element, printed with full values (a sequence with
// its items) and group lengths as stored, without the tags in `without`.
// With `decompressed` the pixel data is decoded first. Empty when the file
// cannot be read.
QStringList DatasetElements(const QString& file, const QList<TagNumbers>& without = {}, bool decompressed = false);
// The file meta information, the same way.
QStringList MetaElements(const QString& file);

// The raw bytes of a text element, as stored (no character set conversion),
// without the padding to even length; group 0002 from the meta information.
QByteArray RawValue(const QString& file, quint16 group, quint16 element);

// The transfer syntax UID of a file's meta information.
inline QString TransferSyntaxOf(const QString& file)
{
    return QString::fromLatin1(RawValue(file, 0x0002, 0x0010));
}
