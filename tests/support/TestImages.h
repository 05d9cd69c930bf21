#pragma once
// Test images made on the spot with DCMTK's dump2dcm from a dump text and a
// raw pixel file (no downloads, nothing committed), and converted copies.

#include "DicomTools.h"
#include "TestFiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtEndian>
#include <atomic>

namespace quorin::test {

inline const QString kCtImageStorage = QStringLiteral("1.2.840.10008.5.1.4.1.1.2");
// A private SOP class no toolkit knows.
inline const QString kPrivateSopClass = QStringLiteral("1.2.826.0.1.3680043.9.7777.1.1");

struct ImageRecipe {
    QString sopClassUid = kCtImageStorage;
    int rows = 64;
    int columns = 64;
    int frames = 1; // more than 1 adds Number of Frames
    QString sopInstanceUid = {}; // a new one when empty
    QString patientId = QStringLiteral("QR-TEST-1");
};

class TestImages {
public:
    // Files are made in `folder`, which must exist.
    explicit TestImages(QString folder)
        : m_folder(std::move(folder))
    {
    }

    // An uncompressed (Explicit VR Little Endian) 16-bit image; empty on failure.
    QString make(const QString& name, const ImageRecipe& recipe = {})
    {
        // A smooth ramp with a little noise: compresses like a real image. 12
        // bits stored, little endian.
        QRandomGenerator noise(1);
        QByteArray pixels(qsizetype(recipe.frames) * recipe.rows * recipe.columns * 2, Qt::Uninitialized);
        char* at = pixels.data();
        for (int y = 0; y < recipe.frames * recipe.rows; ++y) { // frame after frame
            for (int x = 0; x < recipe.columns; ++x) {
                qToLittleEndian(quint16((x * 7 + y * 3 + noise.bounded(16)) & 0x0FFF), at);
                at += 2;
            }
        }
        const QString output = QDir(m_folder).filePath(name);
        const QString pixelFile = output + QStringLiteral(".raw");
        const QString dumpFile = output + QStringLiteral(".dump");
        const QString instance = recipe.sopInstanceUid.isEmpty() ? newUid() : recipe.sopInstanceUid;
        const QString dump
            = QStringLiteral("(0002,0010) UI =LittleEndianExplicit\n(0008,0016) UI [%1]\n(0008,0018) UI [%2]\n"
                             "(0008,0060) CS [CT]\n(0010,0010) PN [Test^Patient]\n(0010,0020) LO [%9]\n"
                             "(0020,000d) UI [%3]\n(0020,000e) UI [%4]\n(0028,0002) US 1\n(0028,0004) CS [MONOCHROME2]\n"
                             "%5(0028,0010) US %6\n(0028,0011) US %7\n(0028,0100) US 16\n(0028,0101) US 12\n"
                             "(0028,0102) US 11\n(0028,0103) US 0\n(7fe0,0010) OW =%8\n")
                  .arg(recipe.sopClassUid, instance, newUid(), newUid(),
                       recipe.frames > 1 ? QStringLiteral("(0028,0008) IS [%1]\n").arg(recipe.frames) : QString())
                  .arg(recipe.rows)
                  .arg(recipe.columns)
                  .arg(pixelFile, recipe.patientId);
        const bool made = TestFiles::Write(pixelFile, pixels) && TestFiles::Write(dumpFile, dump.toUtf8())
                          && RunTool(QStringLiteral("dump2dcm"), {dumpFile, output}).succeeded();
        QFile::remove(pixelFile);
        QFile::remove(dumpFile);
        return made && QFile::exists(output) ? output : QString();
    }

    // `count` images that differ only in their SOP Instance UID (named
    // name-0000.dcm ...); quick even for hundreds of large images, as the
    // copies are made by replacing the UID's digits in place.
    QStringList series(const QString& name, int count, ImageRecipe recipe = {})
    {
        // A fixed-length placeholder that cannot occur anywhere else in the file.
        const QByteArray placeholder = "999999999";
        const QString prefix = newUid() + QStringLiteral(".");
        recipe.sopInstanceUid = prefix + QString::fromLatin1(placeholder);
        const QString model = make(name + QStringLiteral("-model.dcm"), recipe);
        QByteArray bytes = TestFiles::Read(model);
        QFile::remove(model);
        // In the meta information and in the dataset.
        QList<qsizetype> places;
        const QByteArray uid = recipe.sopInstanceUid.toLatin1();
        for (qsizetype at = bytes.indexOf(uid); at >= 0; at = bytes.indexOf(uid, at + 1))
            places << at + prefix.size();
        QStringList files;
        for (int i = 0; i < count && !places.isEmpty(); ++i) {
            for (qsizetype at : places)
                bytes.replace(at, placeholder.size(), QByteArray::number(i).rightJustified(placeholder.size(), '0'));
            files << QDir(m_folder).filePath(QStringLiteral("%1-%2.dcm").arg(name).arg(i, 4, 10, QLatin1Char('0')));
            if (!TestFiles::Write(files.last(), bytes))
                return {};
        }
        return files;
    }

    // `source` converted by a DCMTK tool: dcmcjpeg (JPEG lossless, storescu
    // -xs; +eb: JPEG baseline, -xy), dcmcrle (RLE, -xr), dcmconv +td (Deflated, -xd).
    QString convert(const QString& tool, const QString& source, const QString& name, const QStringList& options = {})
    {
        const QString output = QDir(m_folder).filePath(name);
        return RunTool(tool, options + QStringList{source, output}).succeeded() && QFile::exists(output) ? output
                                                                                                           : QString();
    }

    // Labelled JPEG 2000 Lossless (storescu -xv) but holding JPEG lossless
    // data, as there is no JPEG 2000 encoder at hand: fine for passing on,
    // not for decoding.
    QString jpeg2000Relabelled(const QString& source, const QString& name)
    {
        const QString output = convert(QStringLiteral("dcmcjpeg"), source, name);
        QByteArray bytes = TestFiles::Read(output);
        // Both UIDs are 22 characters: nothing else in the file moves. The JPEG
        // one is in the meta information only.
        const QByteArray jpegLosslessUid = "1.2.840.10008.1.2.4.70";
        return bytes.count(jpegLosslessUid) == 1
                       && TestFiles::Write(output, bytes.replace(jpegLosslessUid, "1.2.840.10008.1.2.4.90"))
                   ? output
                   : QString();
    }

    static QString newUid()
    {
        static std::atomic<quint64> counter{0};
        return QStringLiteral("1.2.826.0.1.3680043.9.7777.2.%1.%2")
            .arg(QRandomGenerator::global()->bounded(1000000000))
            .arg(++counter);
    }

private:
    QString m_folder;
};

} // namespace quorin::test
