#include "AcknowledgementLedger.h"

#include "DatasetText.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace quorin::test {

namespace {

QString instanceUid(const QString& file)
{
    return QString::fromLatin1(rawValue(file, 0x0008, 0x0018));
}

// The UID of a stored image that reads back whole: a file cut off between
// two elements still reads, but without its pixel data.
QString completeInstanceUid(const QString& file)
{
    DcmFileFormat format;
    if (format.loadFile(QFile::encodeName(file).constData()).bad())
        return QString();
    DcmDataset* dataset = format.getDataset();
    OFString uid;
    if (!dataset->tagExists(DCM_PixelData) || dataset->findAndGetOFString(DCM_SOPInstanceUID, uid).bad())
        return QString();
    return QString::fromLatin1(uid.c_str());
}

// "Success" and the warnings (coercion, elements discarded, ...) both mean
// the archive took the image.
bool acknowledges(const QString& responseText)
{
    return responseText.startsWith(QLatin1String("Success")) || responseText.startsWith(QLatin1String("Warning"));
}

} // namespace

int AcknowledgementLedger::record(const QStringList& files, const QString& storescuOutput)
{
    static const QRegularExpression response(QStringLiteral(R"(Received Store Response \(([^)]*)\))"));
    int acknowledged = 0;
    int index = 0;
    for (auto it = response.globalMatch(storescuOutput); it.hasNext() && index < files.size(); ++index) {
        if (!acknowledges(it.next().captured(1)))
            continue;
        m_pendingUids << instanceUid(files[index]);
        ++acknowledged;
    }
    m_acknowledgedTotal += acknowledged;
    return acknowledged;
}

int AcknowledgementLedger::settle(const QString& archiveFolder)
{
    const QSet<QString> stored = storedInstanceUids(archiveFolder);
    int missing = 0;
    for (const QString& uid : std::as_const(m_pendingUids)) {
        if (uid.isEmpty() || !stored.contains(uid))
            ++missing;
    }
    m_pendingUids.clear();
    m_missingTotal += missing;
    return missing;
}

QSet<QString> storedInstanceUids(const QString& folder)
{
    QSet<QString> uids;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QString uid = completeInstanceUid(dir.filePath(name));
        if (!uid.isEmpty())
            uids.insert(uid);
    }
    return uids;
}

} // namespace quorin::test
