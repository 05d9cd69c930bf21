#include "FaultyArchive.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include <QDir>
#include <QRegularExpression>
#include <QSet>

namespace quorin::test {

SilentPeer::SilentPeer()
{
    // The sockets are the server's children and go with it, never read.
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (nextPendingConnection())
            ++connections;
    });
    listen(QHostAddress::LocalHost);
}

namespace {

// A file cut off between two elements still reads, but without its pixel
// data: only a whole image gives its UID.
QString WholeImageUid(const QString& file)
{
    DcmFileFormat format;
    OFString uid;
    if (format.loadFile(QFile::encodeName(file).constData()).bad() || !format.getDataset()->tagExists(DCM_PixelData)
        || format.getDataset()->findAndGetOFString(DCM_SOPInstanceUID, uid).bad())
        return QString();
    return QString::fromLatin1(uid.c_str());
}

} // namespace

QStringList StoreResponses(const QString& storescuOutput)
{
    static const QRegularExpression response(QStringLiteral(R"(Received Store Response \(([^)]*)\))"));
    QStringList answers;
    for (auto it = response.globalMatch(storescuOutput); it.hasNext();)
        answers << it.next().captured(1);
    return answers;
}

int AcknowledgedButMissing(const QStringList& files, const QString& storescuOutput, const QString& archiveFolder)
{
    QSet<QString> stored;
    const QDir dir(archiveFolder);
    for (const QString& name : dir.entryList(QDir::Files))
        stored.insert(WholeImageUid(dir.filePath(name)));
    stored.remove(QString()); // files cut short
    const QStringList answers = StoreResponses(storescuOutput);
    int missing = 0;
    for (qsizetype i = 0; i < std::min(answers.size(), files.size()); ++i) {
        // Warnings (coercion, elements discarded, ...) mean stored too.
        if (answers[i].startsWith(QLatin1String("Success")) || answers[i].startsWith(QLatin1String("Warning")))
            missing += !stored.contains(WholeImageUid(files[i]));
    }
    return missing;
}

} // namespace quorin::test
