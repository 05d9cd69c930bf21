#include "DatasetText.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcmetinf.h>
#include <dcmtk/dcmdata/dcrledrg.h>
#include <dcmtk/dcmjpeg/djdecode.h>

#include <QFile>
#include <QRegularExpression>
#include <sstream>

namespace {

bool LoadFile(DcmFileFormat& file, const QString& path)
{
    const bool loaded = file.loadFile(QFile::encodeName(path).constData()).good();
    file.loadAllDataIntoMemory();
    return loaded;
}

QStringList ElementsOf(DcmItem& item)
{
    // Padding to even length is encoding, not content: a value rewritten by
    // a decoder reads back with its pad blank, the original one without
    // (and the printout's column alignment follows the value's length).
    static const QRegularExpression padding(QStringLiteral(" +\\]"));
    static const QRegularExpression alignment(QStringLiteral(" {2,}"));
    QStringList elements;
    for (unsigned long i = 0; i < item.card(); ++i) {
        std::ostringstream text;
        item.getElement(i)->print(text, 0 /* full values */);
        elements << QString::fromStdString(text.str()).replace(padding, "]").replace(alignment, " ");
    }
    return elements;
}

} // namespace

QStringList DatasetElements(const QString& file, const QList<TagNumbers>& without, bool decompressed)
{
    DcmFileFormat format;
    if (!LoadFile(format, file))
        return {};
    DcmDataset* dataset = format.getDataset();
    for (const TagNumbers& tag : without)
        delete dataset->remove(DcmTagKey(tag.first, tag.second));
    if (decompressed) {
        DJDecoderRegistration::registerCodecs();
        DcmRLEDecoderRegistration::registerCodecs();
        const bool wasLossy = dataset->tagExists(DCM_LossyImageCompression);
        if (dataset->chooseRepresentation(EXS_LittleEndianExplicit, nullptr).bad())
            return {};
        // Decoding records that it happened; not part of the image's content
        // (but a lossy image's own record is).
        if (!wasLossy)
            delete dataset->remove(DCM_LossyImageCompression);
    }
    return ElementsOf(*dataset);
}

QStringList MetaElements(const QString& file)
{
    DcmFileFormat format;
    return LoadFile(format, file) ? ElementsOf(*format.getMetaInfo()) : QStringList();
}

QByteArray RawValue(const QString& file, quint16 group, quint16 element)
{
    DcmFileFormat format;
    const char* value = nullptr;
    Uint32 length = 0;
    if (LoadFile(format, file)) {
        DcmItem* item = group == 0x0002 ? static_cast<DcmItem*>(format.getMetaInfo()) : format.getDataset();
        item->findAndGetString(DcmTagKey(group, element), value, length);
    }
    QByteArray bytes(value, value ? qsizetype(length) : 0);
    while (bytes.endsWith(' ') || bytes.endsWith('\0'))
        bytes.chop(1);
    return bytes;
}
