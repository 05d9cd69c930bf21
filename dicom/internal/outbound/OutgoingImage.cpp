#include "dicom/internal/outbound/OutgoingImage.h"

#include "dicom/internal/inbound/ReceivedDataSet.h"
#include "dicom/internal/outbound/AttributeStamp.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcistrmb.h>
#include <dcmtk/dcmdata/dcxfer.h>

#include <QFile>

namespace quorin::dicom {

namespace {

// Values longer than this stay in the file until they are written out, so a
// large image never has to fit in memory.
const Uint32 kMaxLoadedValueBytes = 4096;

OFCondition ReadFromMemory(DcmDataset& dataset, const ReceivedDataSet& received)
{
    DcmInputBufferStream stream;
    stream.setBuffer(received.bytes().data(), offile_off_t(received.bytes().size()));
    stream.setEos();
    dataset.transferInit();
    const OFCondition read = dataset.read(stream, received.syntax(), EGL_noChange);
    dataset.transferEnd();
    return read;
}

OFCondition ReadReceived(DcmDataset& dataset, const ReceivedDataSet& received)
{
    if (received.inMemory())
        return ReadFromMemory(dataset, received);
    return dataset.loadFile(QFile::encodeName(received.filePath()).constData(), received.syntax(),
                            EGL_noChange, kMaxLoadedValueBytes);
}

} // namespace

OutgoingImage::OutgoingImage(const ReceivedDataSet& received)
{
    const OFCondition loaded = ReadReceived(m_dataset, received);
    if (loaded.bad()) {
        m_error = QStringLiteral("cannot read the received image: %1").arg(loaded.text());
        return;
    }
    DcmDataset* data = dataset();
    m_originalSyntax = data->getOriginalXfer();
    data->findAndGetOFString(DCM_SOPClassUID, m_sopClassUid);
    data->findAndGetOFString(DCM_SOPInstanceUID, m_sopInstanceUid);
    if (m_sopClassUid.empty() || m_sopInstanceUid.empty())
        m_error = QStringLiteral("the received image has no SOP Class or SOP Instance UID");
}

bool OutgoingImage::applyChanges(const QList<AttributeChange>& changes)
{
    for (const AttributeChange& change : changes) {
        m_error = StampAttribute(*dataset(), change.group, change.element, change.value);
        if (!m_error.isEmpty())
            return false;
    }
    return true;
}

bool OutgoingImage::prepareFor(E_TransferSyntax target)
{
    if (target == m_originalSyntax || !DcmXfer(m_originalSyntax).isEncapsulated())
        return true; // uncompressed syntaxes convert into each other as they are written
    DcmDataset* data = dataset();
    data->chooseRepresentation(target, nullptr);
    if (data->canWriteXfer(target, m_originalSyntax))
        return true;
    m_error = QStringLiteral("the archive refuses %1 and the image cannot be decompressed")
                  .arg(QString::fromLatin1(DcmXfer(m_originalSyntax).getXferName()));
    return false;
}

} // namespace quorin::dicom
