#pragma once
// Archives for relay tests: DCMTK's storescp and Orthanc, each on its own
// loopback port with its data in a temporary folder removed afterwards.

#include "PeerProcess.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace quorin::test {

struct StorescpOptions {
    bool acceptCompressed = false; // +xa: accept every syntax it can store
    bool acceptUnknownSopClasses = false; // -pm
    bool refuseAssociations = false; // --refuse
    bool verbose = false; // -v: one "Association Received" line per association
    bool concurrent = false; // --fork +uf: serves associations at once, as busy archives do
};

// storescp +B -pdu 131072 -od <folder> <port>: stores bit for bit what arrives.
class StorescpArchive {
public:
    explicit StorescpArchive(StorescpOptions options = {});

    // Starts it on a free port, or again on its port after stop(); false
    // when it did not come up.
    bool start();
    void stop();

    quint16 port() const { return m_port; }
    QString folder() const { return m_folder.path(); }
    // Paths of the files it stored, sorted.
    QStringList storedFiles() const;
    QString output() { return m_process ? m_process->output() : QString(); }

private:
    StorescpOptions m_options;
    QTemporaryDir m_folder;
    quint16 m_port = 0;
    std::unique_ptr<PeerProcess> m_process;
};

// Orthanc with DICOM and HTTP on free loopback ports, no authentication,
// accepting any called AE title and unknown SOP classes; REST access for
// reading back what it stored.
class OrthancArchive {
public:
    OrthancArchive();

    bool start(int timeoutMs = 30000);
    void stop();

    quint16 dicomPort() const { return m_dicomPort; }
    QString aeTitle() const { return QStringLiteral("ORTHANC"); }

    // GET http://127.0.0.1:<httpPort><path>; empty on failure.
    QByteArray get(const QString& path, int timeoutMs = 10000);
    // The Orthanc identifiers of the stored instances.
    QStringList instanceIds();
    // The raw value of a tag ("0008-1070") of a stored instance.
    QByteArray tagValue(const QString& instanceId, const QString& tag);

private:
    bool writeConfiguration();

    QTemporaryDir m_folder;
    quint16 m_dicomPort = 0;
    quint16 m_httpPort = 0;
    std::unique_ptr<PeerProcess> m_process;
};

} // namespace quorin::test
