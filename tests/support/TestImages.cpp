#include "TestImages.h"

#include "DicomTools.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <atomic>

namespace quorin::test {

TestImages::TestImages(QString folder)
    : m_folder(std::move(folder))
{
}

QString TestImages::newUid()
{
    static std::atomic<quint64> counter{0};
    return QStringLiteral("1.2.826.0.1.3680043.9.7777.2.%1.%2")
        .arg(QRandomGenerator::global()->bounded(1000000000))
        .arg(++counter);
}

bool TestImages::writePixels(const QString& path, const ImageRecipe& recipe) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A smooth ramp with a little seeded noise: compresses like a real image
    // and differs between seeds. 12 bits stored, little endian.
    QRandomGenerator noise(recipe.pixelSeed);
    QByteArray row(recipe.columns * 2, Qt::Uninitialized);
    for (int frame = 0; frame < recipe.frames; ++frame) {
        for (int y = 0; y < recipe.rows; ++y) {
            for (int x = 0; x < recipe.columns; ++x) {
                const quint16 value = quint16((x * 7 + y * 3 + frame * 11 + noise.bounded(16)) & 0x0FFF);
                row[2 * x] = char(value & 0xFF);
                row[2 * x + 1] = char(value >> 8);
            }
            if (file.write(row) != row.size())
                return false;
        }
    }
    return true;
}

QString TestImages::dumpText(const ImageRecipe& recipe, const QString& pixelFile) const
{
    const QString instance = recipe.sopInstanceUid.isEmpty() ? newUid() : recipe.sopInstanceUid;
    QString dump = QStringLiteral("(0002,0010) UI =LittleEndianExplicit\n(0008,0016) UI [%1]\n(0008,0018) UI [%2]\n"
                                  "(0008,0060) CS [CT]\n(0010,0010) PN [Test^Patient]\n(0010,0020) LO [QR-TEST-1]\n"
                                  "(0020,000d) UI [%3]\n(0020,000e) UI [%4]\n(0028,0002) US 1\n"
                                  "(0028,0004) CS [MONOCHROME2]\n")
                       .arg(recipe.sopClassUid, instance, newUid(), newUid());
    if (recipe.frames > 1)
        dump += QStringLiteral("(0028,0008) IS [%1]\n").arg(recipe.frames);
    dump += QStringLiteral("(0028,0010) US %1\n(0028,0011) US %2\n").arg(recipe.rows).arg(recipe.columns);
    dump += QStringLiteral("(0028,0100) US 16\n(0028,0101) US 12\n(0028,0102) US 11\n(0028,0103) US 0\n");
    dump += QStringLiteral("(7fe0,0010) OW =%1\n").arg(pixelFile);
    return dump;
}

QString TestImages::make(const QString& name, const ImageRecipe& recipe)
{
    const QDir folder(m_folder);
    const QString pixelFile = folder.filePath(name + QStringLiteral(".raw"));
    const QString dumpFile = folder.filePath(name + QStringLiteral(".dump"));
    const QString output = folder.filePath(name);
    if (!writePixels(pixelFile, recipe))
        return QString();
    const QByteArray dump = dumpText(recipe, pixelFile).toUtf8();
    QFile dumpOut(dumpFile);
    if (!dumpOut.open(QIODevice::WriteOnly) || dumpOut.write(dump) != dump.size())
        return QString();
    dumpOut.close();
    const ToolRun run = runTool(QStringLiteral("dump2dcm"), {dumpFile, output});
    QFile::remove(pixelFile);
    QFile::remove(dumpFile);
    return run.succeeded() && QFile::exists(output) ? output : QString();
}

QStringList TestImages::series(const QString& name, int count, ImageRecipe recipe)
{
    // A fixed-length placeholder that cannot occur anywhere else in the file.
    const QByteArray placeholder = "999999999";
    const QString prefix = newUid() + QStringLiteral(".");
    recipe.sopInstanceUid = prefix + QString::fromLatin1(placeholder);
    const QString model = make(name + QStringLiteral("-model.dcm"), recipe);
    QFile modelFile(model);
    if (model.isEmpty() || !modelFile.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = modelFile.readAll();
    modelFile.close();
    QFile::remove(model);
    // In the meta information and in the dataset.
    QList<qsizetype> places;
    const QByteArray uid = prefix.toLatin1() + placeholder;
    for (qsizetype at = bytes.indexOf(uid); at >= 0; at = bytes.indexOf(uid, at + 1))
        places << at + prefix.size();
    if (places.isEmpty())
        return {};
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QByteArray digits = QByteArray::number(i).rightJustified(placeholder.size(), '0');
        for (qsizetype at : places)
            bytes.replace(at, placeholder.size(), digits);
        const QString path = QDir(m_folder).filePath(QStringLiteral("%1-%2.dcm").arg(name).arg(i, 4, 10, QLatin1Char('0')));
        QFile copy(path);
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
            return {};
        files << path;
    }
    return files;
}

QString TestImages::convert(const QString& tool, const QString& source, const QString& name,
                            const QStringList& options)
{
    const QString output = QDir(m_folder).filePath(name);
    const ToolRun run = runTool(tool, options + QStringList{source, output});
    return run.succeeded() && QFile::exists(output) ? output : QString();
}

QString TestImages::jpeg2000Relabelled(const QString& source, const QString& name)
{
    const QString jpeg = convert(QStringLiteral("dcmcjpeg"), source, name + QStringLiteral(".jpeg"));
    QFile in(jpeg);
    if (jpeg.isEmpty() || !in.open(QIODevice::ReadOnly))
        return QString();
    QByteArray bytes = in.readAll();
    in.close();
    QFile::remove(jpeg);
    // Both UIDs are 22 characters: nothing else in the file moves.
    const QByteArray jpegLosslessUid = "1.2.840.10008.1.2.4.70";
    const QByteArray jpeg2000LosslessUid = "1.2.840.10008.1.2.4.90";
    if (bytes.count(jpegLosslessUid) != 1) // in the meta information only
        return QString();
    bytes.replace(jpegLosslessUid, jpeg2000LosslessUid);
    const QString output = QDir(m_folder).filePath(name);
    QFile out(output);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return QString();
    return output;
}

} // namespace quorin::test
