#pragma once
// Test images made on the spot with DCMTK's dump2dcm from a dump text and a
// raw pixel file (no downloads, nothing committed), and converted copies.

#include <QString>
#include <QStringList>

namespace quorin::test {

inline const QString kCtImageStorage = QStringLiteral("1.2.840.10008.5.1.4.1.1.2");
// A private SOP class no toolkit knows.
inline const QString kPrivateSopClass = QStringLiteral("1.2.826.0.1.3680043.9.7777.1.1");

struct ImageRecipe {
    QString sopClassUid = kCtImageStorage;
    QString sopInstanceUid; // a new one when empty
    int rows = 64;
    int columns = 64;
    int frames = 1; // more than 1 adds Number of Frames
    quint32 pixelSeed = 1; // images with different seeds differ in pixels
};

class TestImages {
public:
    // Files are made in `folder`, which must exist.
    explicit TestImages(QString folder);

    // An uncompressed (Explicit VR Little Endian) 16-bit image; empty on failure.
    QString make(const QString& name, const ImageRecipe& recipe = {});
    // `count` images that differ only in their SOP Instance UID (named
    // name-0000.dcm ...); quick even for hundreds of large images, as the
    // copies are made by replacing the UID's digits in place.
    QStringList series(const QString& name, int count, ImageRecipe recipe = {});
    // `source` converted by a DCMTK tool: dcmcjpeg (JPEG lossless, storescu
    // -xs; +eb: JPEG baseline, -xy), dcmcrle (RLE, -xr), dcmconv +td (Deflated, -xd).
    QString convert(const QString& tool, const QString& source, const QString& name,
                    const QStringList& options = {});
    // Labelled JPEG 2000 Lossless (storescu -xv) but holding JPEG lossless
    // data, as there is no JPEG 2000 encoder at hand: fine for passing on,
    // not for decoding.
    QString jpeg2000Relabelled(const QString& source, const QString& name);

    static QString newUid();

private:
    QString dumpText(const ImageRecipe& recipe, const QString& pixelFile) const;
    bool writePixels(const QString& path, const ImageRecipe& recipe) const;

    QString m_folder;
};

} // namespace quorin::test
