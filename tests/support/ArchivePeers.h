#pragma once
// Archives for relay tests: DCMTK's storescp and Orthanc, each on its own
// loopback port with its data in a temporary folder removed afterwards.

#include "LoopbackPorts.h"
#include "PeerProcess.h"
#include "TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

namespace quorin::test {

class ArchivePeer {
public:
    virtual ~ArchivePeer() = default;
    // Starts it; false when it did not come up.
    virtual bool start() = 0;
    virtual quint16 port() const = 0;
    virtual QString aeTitle() const { return QStringLiteral("ARCHIVE"); }
    // Where it writes each image that arrived, a file of its own.
    virtual QString folder() const = 0;

    // Paths of the files it stored, sorted.
    QStringList storedFiles() const
    {
        QStringList files;
        for (QDirIterator it(folder(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << it.next();
        files.sort();
        return files;
    }
};

struct StorescpOptions {
    bool acceptCompressed = false;        // +xa: every syntax it can store
    bool acceptUnknownSopClasses = false; // -pm
    bool verbose = false;                 // -v: "Association Acknowledged" per association
    bool concurrent = false;              // --fork +uf: serves associations at once, as busy archives do
    int pduBytes = 131072;                // -pdu: the largest PDU it takes
    QStringList tls = {};                 // +tls and its options: TLS only
};

// storescp +B -pdu <bytes> -od <folder> <port>: stores bit for bit what arrives.
class StorescpArchive : public ArchivePeer {
public:
    explicit StorescpArchive(StorescpOptions options = {})
        : m_options(options)
    {
    }

    // On a free port, or again on its port after stop().
    bool start() override
    {
        m_port = m_port ? m_port : FreeLoopbackPort();
        const auto when = [](bool on, const QStringList& options) { return on ? options : QStringList(); };
        QStringList arguments = QStringList{"+B", "-pdu", QString::number(m_options.pduBytes), "-od", m_folder.path()}
                                + when(m_options.acceptCompressed, {"+xa"})
                                + when(m_options.acceptUnknownSopClasses, {"-pm"})
                                + when(m_options.verbose, {"-v"})
                                + when(m_options.concurrent, {"--fork", "+uf"}) + m_options.tls;
        m_process = std::make_unique<PeerProcess>(QStringLiteral("storescp"), arguments << QString::number(m_port));
        return m_folder.isValid() && m_process->start(m_port);
    }
    void stop()
    {
#ifdef Q_OS_UNIX
        signal(SIGCONT); // a paused process would see the SIGTERM only once it runs again
#endif
        if (m_process)
            m_process->stop();
    }
#ifdef Q_OS_UNIX
    // To the PID of the storescp it started only: SIGSTOP leaves its
    // connections open with nobody answering, SIGKILL leaves a partial file.
    void signal(int number)
    {
        if (m_process && m_process->isRunning())
            ::kill(pid_t(m_process->pid()), number);
    }
#endif

    quint16 port() const override { return m_port; }
    QString folder() const override { return m_folder.path(); }
    QString output() const { return m_process ? m_process->output() : QString(); }

private:
    StorescpOptions m_options;
    QTemporaryDir m_folder;
    quint16 m_port = 0;
    std::unique_ptr<PeerProcess> m_process;
};

// Orthanc on a free loopback port, checking AE titles as PACS do: called
// its own, calling one it knows (QUORIN, the relay's, and SENDER, the
// senders'), from any host. It accepts unknown SOP classes and stores each
// image as it arrived (an image sent again replaces its copy, which may have
// been taken away). No HTTP.
class OrthancArchive : public ArchivePeer {
public:
    bool start() override
    {
        m_port = FreeLoopbackPort();
        const QJsonObject knownCallers{{"relay", QJsonArray{"QUORIN", "127.0.0.1", 104}},
                                       {"senders", QJsonArray{"SENDER", "127.0.0.1", 104}}};
        const QJsonObject configuration{
            {"StorageDirectory", folder()}, {"IndexDirectory", m_root.filePath("index")}, {"DicomAet", aeTitle()},
            {"DicomPort", int(m_port)}, {"HttpServerEnabled", false}, {"DicomCheckCalledAet", true},
            {"DicomAlwaysAllowStore", false}, {"DicomModalities", knownCallers}, {"DicomCheckModalityHost", false},
            {"UnknownSopClassAccepted", true}, {"OverwriteInstances", true}, {"Plugins", QJsonArray()}};
        const QString file = m_root.filePath(QStringLiteral("orthanc.json"));
        m_process = std::make_unique<PeerProcess>(QStringLiteral("Orthanc"), QStringList{file}, m_root.path());
        return TestFiles::Write(file, QJsonDocument(configuration).toJson()) && m_process->start(m_port, 30000);
    }

    quint16 port() const override { return m_port; }
    QString aeTitle() const override { return QStringLiteral("ORTHANC"); }
    QString folder() const override { return m_root.filePath(QStringLiteral("storage")); }

private:
    QTemporaryDir m_root;
    quint16 m_port = 0;
    std::unique_ptr<PeerProcess> m_process;
};

// An archive from another toolkit, on Node.js (scripted-archive/archive.js):
// it checks AE titles as PACS do (called: ARCHIVE; calling: QUORIN, the
// relay's, or SENDER, the senders') and answers each image with the status
// its Patient ID asks for ("STATUS-B000"), success for any other. It keeps
// nothing.
class ScriptedArchive {
public:
    bool start()
    {
        m_port = FreeLoopbackPort();
        m_process = std::make_unique<PeerProcess>(
            QStringLiteral("node"), QStringList{QStringLiteral(QUORIN_SCRIPTED_ARCHIVE), QString::number(m_port),
                                                "ARCHIVE", "QUORIN", "SENDER"});
        return m_process->start(m_port);
    }
    quint16 port() const { return m_port; }
    // What it answered, "<status> <Operators' Name>" an image, such as "B000 AB".
    QStringList answered() const
    {
        QStringList lines = m_process ? m_process->output().split(u'\n', Qt::SkipEmptyParts) : QStringList();
        for (QString& line : lines)
            line = line.section(u' ', 1).trimmed();
        return lines;
    }

private:
    quint16 m_port = 0;
    std::unique_ptr<PeerProcess> m_process;
};

} // namespace quorin::test
