#pragma once
// A received image on its way to the archive: parsed from the received bytes
// in memory, or from its temporary file with large values (pixel data) left
// on disk until they are sent.

#include "dicom/AttributeChange.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdatset.h>

#include <QList>
#include <QString>

namespace quorin::dicom {

class ReceivedDataSet;

class OutgoingImage {
public:
    // Reads the image; check error() afterwards. `received` must outlive
    // this object (a temporary file is read while the image is sent).
    explicit OutgoingImage(const ReceivedDataSet& received);

    // Empty while everything went well.
    const QString& error() const { return m_error; }

    // Applies the handler's attribute changes; false (and error()) on failure.
    bool applyChanges(const QList<AttributeChange>& changes);

    const OFString& sopClassUid() const { return m_sopClassUid; }
    const OFString& sopInstanceUid() const { return m_sopInstanceUid; }
    // The transfer syntax the image arrived in.
    E_TransferSyntax originalSyntax() const { return m_originalSyntax; }

    // Makes the image writable in `target` (decompressing where a decoder
    // exists). False (and error()) when it cannot be done without loss.
    bool prepareFor(E_TransferSyntax target);

    DcmDataset* dataset() { return &m_dataset; }

private:
    DcmDataset m_dataset;
    OFString m_sopClassUid;
    OFString m_sopInstanceUid;
    E_TransferSyntax m_originalSyntax = EXS_Unknown;
    QString m_error;
};

} // namespace quorin::dicom
