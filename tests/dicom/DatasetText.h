#pragma once
// Reading stored files back in tests with DCMTK: the whole dataset as text
// (every value in full) for comparing what left the sender with what reached
// the archive.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

using TagNumbers = std::pair<quint16, quint16>;

// The dataset (not the file meta information) printed with full values,
// without the tags in `without`. Empty when the file cannot be read.
// With `decompressed` the pixel data is decoded first.
QString datasetText(const QString& file, const QList<TagNumbers>& without = {}, bool decompressed = false);

// The same, element by element (top level; a sequence with its items), and
// without group lengths at any level: they follow from the encoding, which
// the toolkit may add or drop when it writes. Empty when the file cannot be
// read.
QStringList datasetElements(const QString& file, const QList<TagNumbers>& without = {}, bool decompressed = false);

// The transfer syntax UID of a file's meta information.
QString transferSyntaxOf(const QString& file);

// The raw bytes of a text element, as stored (no character set conversion),
// without the padding to even length.
QByteArray rawValue(const QString& file, quint16 group, quint16 element);
