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
#include <QNetworkRequest>

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
    arguments << QString::number(m_port);
    m_process = std::make_unique<PeerProcess>(QStringLiteral("storescp"), arguments);
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

OrthancArchive::OrthancArchive() = default;

bool OrthancArchive::writeConfiguration()
{
    const QJsonObject configuration{
        {QStringLiteral("Name"), QStringLiteral("QuorinTestArchive")},
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
    QFile file(m_folder.filePath(QStringLiteral("orthanc.json")));
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(configuration).toJson()) > 0;
}

bool OrthancArchive::start(int timeoutMs)
{
    m_dicomPort = freeLoopbackPort();
    m_httpPort = freeLoopbackPort();
    if (!m_folder.isValid() || !writeConfiguration())
        return false;
    m_process = std::make_unique<PeerProcess>(
        QStringLiteral("Orthanc"), QStringList{m_folder.filePath(QStringLiteral("orthanc.json"))},
        m_folder.path());
    if (!m_process->start(m_httpPort, timeoutMs))
        return false;
    return waitForListeningPort(m_dicomPort, timeoutMs, nullptr);
}

void OrthancArchive::stop()
{
    if (m_process)
        m_process->stop(10000);
}

QByteArray OrthancArchive::get(const QString& path, int timeoutMs)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_httpPort).arg(path)));
    QNetworkReply* reply = manager.get(request);
    const bool done = waitUntil([reply] { return reply->isFinished(); }, timeoutMs);
    QByteArray body;
    if (done && reply->error() == QNetworkReply::NoError)
        body = reply->readAll();
    reply->abort();
    reply->deleteLater();
    return body;
}

QStringList OrthancArchive::instanceIds()
{
    QStringList ids;
    const QJsonArray list = QJsonDocument::fromJson(get(QStringLiteral("/instances"))).array();
    for (const QJsonValue& id : list)
        ids << id.toString();
    return ids;
}

QByteArray OrthancArchive::tagValue(const QString& instanceId, const QString& tag)
{
    return get(QStringLiteral("/instances/%1/content/%2").arg(instanceId, tag));
}

} // namespace quorin::test
