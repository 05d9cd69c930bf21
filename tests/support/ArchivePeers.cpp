#include "ArchivePeers.h"

#include "EventLoopWait.h"
#include "LoopbackPorts.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace quorin::test {

StorescpArchive::StorescpArchive(StorescpOptions options)
    : m_options(options)
{
}

bool StorescpArchive::start()
{
    if (m_port == 0)
        m_port = freeLoopbackPort();
    QStringList arguments{QStringLiteral("+B"), QStringLiteral("-pdu"), QStringLiteral("131072"),
                          QStringLiteral("-od"), m_folder.path()};
    if (m_options.acceptCompressed)
        arguments << QStringLiteral("+xa");
    if (m_options.acceptUnknownSopClasses)
        arguments << QStringLiteral("-pm");
    if (m_options.refuseAssociations)
        arguments << QStringLiteral("--refuse");
    if (m_options.verbose)
        arguments << QStringLiteral("-v");
    if (m_options.concurrent)
        arguments << QStringLiteral("--fork") << QStringLiteral("+uf");
    m_process = std::make_unique<PeerProcess>(QStringLiteral("storescp"), arguments << QString::number(m_port));
    return m_folder.isValid() && m_process->start(m_port);
}

void StorescpArchive::stop()
{
    if (m_process)
        m_process->stop();
}

QStringList StorescpArchive::storedFiles() const
{
    const QDir folder(m_folder.path());
    QStringList files;
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
        files << folder.filePath(name);
    return files;
}

QStringList StorescpArchive::takeStoredFiles(const QString& folder)
{
    QStringList taken;
    for (const QString& file : storedFiles()) {
        taken << QDir(folder).filePath(QFileInfo(file).fileName());
        QFile::rename(file, taken.last());
    }
    return taken;
}

bool OrthancArchive::start(int timeoutMs)
{
    m_dicomPort = freeLoopbackPort();
    m_httpPort = freeLoopbackPort();
    const QJsonObject configuration{
        {QStringLiteral("StorageDirectory"), m_folder.filePath(QStringLiteral("storage"))},
        {QStringLiteral("IndexDirectory"), m_folder.filePath(QStringLiteral("index"))},
        {QStringLiteral("DicomAet"), aeTitle()},
        {QStringLiteral("DicomPort"), int(m_dicomPort)},
        {QStringLiteral("HttpPort"), int(m_httpPort)},
        {QStringLiteral("DicomCheckCalledAet"), false},
        {QStringLiteral("UnknownSopClassAccepted"), true},
        {QStringLiteral("RemoteAccessAllowed"), false},
        {QStringLiteral("AuthenticationEnabled"), false},
        {QStringLiteral("Plugins"), QJsonArray()},
    };
    const QString path = m_folder.filePath(QStringLiteral("orthanc.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(configuration).toJson()) <= 0)
        return false;
    file.close();
    m_process = std::make_unique<PeerProcess>(QStringLiteral("Orthanc"), QStringList{path}, m_folder.path());
    return m_process->start(m_httpPort, timeoutMs) && waitForListeningPort(m_dicomPort, timeoutMs);
}

QByteArray OrthancArchive::request(const QByteArray& verb, const QString& path)
{
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.sendCustomRequest(
        QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_httpPort).arg(path))), verb);
    waitUntil([reply] { return reply->isFinished(); }, 10000);
    const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    reply->abort();
    reply->deleteLater();
    return body;
}

QStringList OrthancArchive::takeStoredFiles(const QString& folder)
{
    QStringList taken;
    for (const QJsonValue& id : QJsonDocument::fromJson(request("GET", QStringLiteral("/instances"))).array()) {
        const QString instance = QStringLiteral("/instances/") + id.toString();
        QFile copy(QDir(folder).filePath(id.toString() + QStringLiteral(".dcm")));
        if (copy.open(QIODevice::WriteOnly) && copy.write(request("GET", instance + QStringLiteral("/file"))) > 0)
            taken << copy.fileName();
        request("DELETE", instance);
    }
    return taken;
}

} // namespace quorin::test
