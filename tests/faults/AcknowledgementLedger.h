#pragma once
// The one thing a relay must never do: tell a sender an image was stored
// that the archive does not have. The ledger keeps the images storescu was
// told were stored and checks them against the archive's files.

#include <QSet>
#include <QString>
#include <QStringList>

namespace quorin::test {

class AcknowledgementLedger {
public:
    // `storescuOutput` is storescu -v's output for `files` sent in this
    // order on one association: the n-th store response answers the n-th
    // file. Returns how many of them were acknowledged (success or warning).
    int record(const QStringList& files, const QString& storescuOutput);

    // Checks the images acknowledged since the last call against the
    // whole files of `archiveFolder`; returns how many are missing there
    // and adds them to missingTotal().
    int settle(const QString& archiveFolder);

    int acknowledgedTotal() const { return m_acknowledgedTotal; }
    int missingTotal() const { return m_missingTotal; }

private:
    QStringList m_pendingUids;
    int m_acknowledgedTotal = 0;
    int m_missingTotal = 0;
};

// The SOP Instance UIDs of the DICOM files in a folder that read back
// whole, pixel data included.
QSet<QString> storedInstanceUids(const QString& folder);

} // namespace quorin::test
