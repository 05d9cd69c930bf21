#include "FaultyArchive.h"

#include "LoopbackPorts.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <signal.h>

namespace quorin::test {

bool FaultyArchive::start()
{
    if (m_port == 0)
        m_port = freeLoopbackPort();
    // As StorescpArchive: +B streams each image to its file as it arrives,
    // so a kill leaves a partial file behind.
    m_process = std::make_unique<PeerProcess>(
        QStringLiteral("storescp"), m_options + QStringList{QStringLiteral("+B"), QStringLiteral("-pdu"),
                                                            QStringLiteral("131072"), QStringLiteral("-od"),
                                                            folder(), QString::number(m_port)});
    return m_root.isValid() && QDir().mkpath(folder()) && m_process->start(m_port);
}

void FaultyArchive::stop()
{
    signal(SIGCONT); // a paused process would only see the SIGTERM once it runs again
    if (m_process)
        m_process->stop();
}

void FaultyArchive::signal(int number)
{
    if (m_process && m_process->isRunning() && m_process->pid() > 0)
        ::kill(pid_t(m_process->pid()), number);
}

QStringList FaultyArchive::storedFiles() const
{
    const QDir store(folder());
    QStringList files;
    for (const QString& name : store.entryList(QDir::Files))
        files << store.filePath(name);
    return files;
}

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
QString wholeImageUid(const QString& file)
{
    DcmFileFormat format;
    OFString uid;
    if (format.loadFile(QFile::encodeName(file).constData()).bad() || !format.getDataset()->tagExists(DCM_PixelData)
        || format.getDataset()->findAndGetOFString(DCM_SOPInstanceUID, uid).bad())
        return QString();
    return QString::fromLatin1(uid.c_str());
}

} // namespace

QStringList storeResponses(const QString& storescuOutput)
{
    static const QRegularExpression response(QStringLiteral(R"(Received Store Response \(([^)]*)\))"));
    QStringList answers;
    for (auto it = response.globalMatch(storescuOutput); it.hasNext();)
        answers << it.next().captured(1);
    return answers;
}

int acknowledgedButMissing(const QStringList& files, const QString& storescuOutput, const QString& archiveFolder,
                           int& acknowledged)
{
    QSet<QString> stored;
    const QDir dir(archiveFolder);
    for (const QString& name : dir.entryList(QDir::Files))
        stored.insert(wholeImageUid(dir.filePath(name)));
    const QStringList answers = storeResponses(storescuOutput);
    int missing = 0;
    for (qsizetype i = 0; i < std::min(answers.size(), files.size()); ++i) {
        // Warnings (coercion, elements discarded, ...) mean stored too.
        if (answers[i].startsWith(QLatin1String("Success")) || answers[i].startsWith(QLatin1String("Warning"))) {
            ++acknowledged;
            const QString uid = wholeImageUid(files[i]);
            missing += uid.isEmpty() || !stored.contains(uid);
        }
    }
    return missing;
}

} // namespace quorin::test
