#pragma once
// Archives for relay tests: DCMTK's storescp and Orthanc, each on its own
// loopback port with its data in a temporary folder removed afterwards.

#include "LoopbackPorts.h"
#include "PeerProcess.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <memory>

namespace quorin::test {

class ArchivePeer {
public:
    virtual ~ArchivePeer() = default;
    virtual quint16 port() const = 0;
    virtual QString aeTitle() const { return QStringLiteral("ARCHIVE"); }
    // Moves every file stored so far into `folder` (emptying the archive);
    // their paths there.
    virtual QStringList takeStoredFiles(const QString& folder) = 0;
};

struct StorescpOptions {
    bool acceptCompressed = false;        // +xa: every syntax it can store
    bool acceptUnknownSopClasses = false; // -pm
    bool refuseAssociations = false;      // --refuse
    bool verbose = false;                 // -v: "Association Acknowledged" per association
    bool concurrent = false;              // --fork +uf: serves associations at once, as busy archives do
};

// storescp +B -pdu 131072 -od <folder> <port>: stores bit for bit what arrives.
class StorescpArchive : public ArchivePeer {
public:
    explicit StorescpArchive(StorescpOptions options = {})
        : m_options(options)
    {
    }

    // Starts it on a free port, or again on its port after stop(); false
    // when it did not come up.
    bool start()
    {
        m_port = m_port ? m_port : freeLoopbackPort();
        const auto when = [](bool on, const QStringList& options) { return on ? options : QStringList(); };
        QStringList arguments = QStringList{"+B", "-pdu", "131072", "-od", m_folder.path()}
                                + when(m_options.acceptCompressed, {"+xa"})
                                + when(m_options.acceptUnknownSopClasses, {"-pm"})
                                + when(m_options.refuseAssociations, {"--refuse"}) + when(m_options.verbose, {"-v"})
                                + when(m_options.concurrent, {"--fork", "+uf"});
        m_process = std::make_unique<PeerProcess>(QStringLiteral("storescp"), arguments << QString::number(m_port));
        return m_folder.isValid() && m_process->start(m_port);
    }
    void stop()
    {
        if (m_process)
            m_process->stop();
    }

    quint16 port() const override { return m_port; }
    QString folder() const { return m_folder.path(); }
    // Paths of the files it stored, sorted.
    QStringList storedFiles() const
    {
        QStringList files;
        for (const QString& name : QDir(folder()).entryList(QDir::Files, QDir::Name))
            files << QDir(folder()).filePath(name);
        return files;
    }
    QStringList takeStoredFiles(const QString& folder) override
    {
        QStringList taken;
        for (const QString& file : storedFiles()) {
            taken << QDir(folder).filePath(QFileInfo(file).fileName());
            QFile::rename(file, taken.last());
        }
        return taken;
    }
    QString output() const { return m_process ? m_process->output() : QString(); }

private:
    StorescpOptions m_options;
    QTemporaryDir m_folder;
    quint16 m_port = 0;
    std::unique_ptr<PeerProcess> m_process;
};

// Orthanc with DICOM and HTTP on free loopback ports, accepting any called AE
// title and unknown SOP classes; its files read back over its REST interface.
class OrthancArchive : public ArchivePeer {
public:
    bool start(int timeoutMs = 30000)
    {
        m_dicomPort = freeLoopbackPort();
        m_httpPort = freeLoopbackPort();
        const QJsonObject configuration{
            {"StorageDirectory", m_folder.filePath("storage")}, {"IndexDirectory", m_folder.filePath("index")},
            {"DicomAet", aeTitle()}, {"DicomPort", int(m_dicomPort)}, {"HttpPort", int(m_httpPort)},
            {"DicomCheckCalledAet", false}, {"UnknownSopClassAccepted", true}, {"RemoteAccessAllowed", false},
            {"AuthenticationEnabled", false}, {"Plugins", QJsonArray()}};
        QFile file(m_folder.filePath(QStringLiteral("orthanc.json")));
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(configuration).toJson()) <= 0)
            return false;
        file.close();
        m_process = std::make_unique<PeerProcess>(QStringLiteral("Orthanc"), QStringList{file.fileName()},
                                                  m_folder.path());
        return m_process->start(m_httpPort, timeoutMs) && waitForListeningPort(m_dicomPort, timeoutMs);
    }

    quint16 port() const override { return m_dicomPort; }
    QString aeTitle() const override { return QStringLiteral("ORTHANC"); }
    QStringList takeStoredFiles(const QString& folder) override
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

private:
    QByteArray request(const QByteArray& verb, const QString& path)
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

    QTemporaryDir m_folder;
    quint16 m_dicomPort = 0;
    quint16 m_httpPort = 0;
    std::unique_ptr<PeerProcess> m_process;
};

} // namespace quorin::test
