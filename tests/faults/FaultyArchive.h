#pragma once
// Archives that fail the ways real ones do. FaultyArchive is storescp that
// can be paused (SIGSTOP: its connections stay open but nothing answers),
// killed (SIGKILL, say in the middle of an image), made to refuse
// associations (--refuse), or left without its output folder (it then
// answers each store with a failure status). Signals go only to the PID of
// the storescp it started. SilentPeer accepts connections and never answers.

#include "PeerProcess.h"

#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

namespace quorin::test {

class FaultyArchive {
public:
    explicit FaultyArchive(QStringList options = {}) : m_options(std::move(options)) {}
    ~FaultyArchive() { stop(); }

    // Starts storescp on a free port, or again on its port after a stop or
    // kill; false when it did not come up.
    bool start();
    void stop();
    void signal(int number);

    quint16 port() const { return m_port; }
    QString folder() const { return m_root.filePath(QStringLiteral("store")); }
    // Its output folder's files, complete or not.
    QStringList storedFiles() const;

private:
    QStringList m_options;
    QTemporaryDir m_root;
    quint16 m_port = 0;
    std::unique_ptr<PeerProcess> m_process;
};

struct SilentPeer : QTcpServer {
    SilentPeer();
    int connections = 0;
};

// The answers in storescu -v's output, such as "Success".
QStringList storeResponses(const QString& storescuOutput);
// The one thing a relay must never do: tell a sender an image was stored
// that the archive lacks. `storescuOutput` is storescu -v's for `files`, sent
// in this order on one association; returns how many of the images it was
// told were stored (success or warning) are not whole in `archiveFolder`,
// and adds the acknowledged ones to `acknowledged`.
int acknowledgedButMissing(const QStringList& files, const QString& storescuOutput, const QString& archiveFolder,
                           int& acknowledged);

} // namespace quorin::test
