#pragma once
// storescp as an archive that fails the ways real archives do: paused
// (SIGSTOP: its connections stay open but nothing answers), killed (SIGKILL,
// say in the middle of an image), or without its output folder (it then
// answers each store with a failure status). Signals go only to the PID of
// the storescp this object started.

#include "PeerProcess.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace quorin::test {

class FaultyArchive {
public:
    FaultyArchive();
    ~FaultyArchive();
    FaultyArchive(const FaultyArchive&) = delete;
    FaultyArchive& operator=(const FaultyArchive&) = delete;

    // Starts storescp on a free port, or again on its port after a stop or
    // kill; false when it did not come up.
    bool start();
    void stop();

    void pause();
    void resume();
    // SIGKILL, then waits until the process is gone.
    void kill();

    // Without its output folder storescp cannot create the file of an image
    // and answers the store with a failure status.
    bool removeOutputFolder();
    bool restoreOutputFolder();

    quint16 port() const { return m_port; }
    QString folder() const;
    // Paths of the files in its output folder, sorted (complete or not).
    QStringList storedFiles() const;
    QString output() { return m_process ? m_process->output() : QString(); }

private:
    void sendSignal(int number);

    QTemporaryDir m_root;
    quint16 m_port = 0;
    std::unique_ptr<PeerProcess> m_process;
    bool m_paused = false;
};

} // namespace quorin::test
