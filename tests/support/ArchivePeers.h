#pragma once
// Archives for relay tests: DCMTK's storescp and Orthanc, each on its own
// loopback port with its data in a temporary folder removed afterwards.

#include "PeerProcess.h"

#include <QStringList>
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
    explicit StorescpArchive(StorescpOptions options = {});

    // Starts it on a free port, or again on its port after stop(); false
    // when it did not come up.
    bool start();
    void stop();

    quint16 port() const override { return m_port; }
    QString folder() const { return m_folder.path(); }
    // Paths of the files it stored, sorted.
    QStringList storedFiles() const;
    QStringList takeStoredFiles(const QString& folder) override;
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
    bool start(int timeoutMs = 30000);

    quint16 port() const override { return m_dicomPort; }
    QString aeTitle() const override { return QStringLiteral("ORTHANC"); }
    QStringList takeStoredFiles(const QString& folder) override;

private:
    QByteArray request(const QByteArray& verb, const QString& path);

    QTemporaryDir m_folder;
    quint16 m_dicomPort = 0;
    quint16 m_httpPort = 0;
    std::unique_ptr<PeerProcess> m_process;
};

} // namespace quorin::test
