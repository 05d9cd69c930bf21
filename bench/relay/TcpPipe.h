#pragma once
// The floor of any relay in bench_relay's network: a plain TCP pipe that
// passes each connection's bytes on to the archive as they arrive, both
// ways, knowing nothing of DICOM (no PDUs read whole, no decision, no
// stamp). What it adds to the direct path is what the second hop and its
// round trip cost by themselves; what the relay adds beyond it is the
// relay's own.

#include <QtGlobal>

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TcpPipe {
public:
    explicit TcpPipe(quint16 archivePort);
    ~TcpPipe();
    TcpPipe(const TcpPipe&) = delete;
    TcpPipe& operator=(const TcpPipe&) = delete;

    // Listens on 127.0.0.1:port; false when it cannot.
    bool open(quint16 port);

private:
    void accept();
    void serve(int client);

    quint16 m_archivePort;
    int m_listener = -1;
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<int> m_sockets;         // to shut down at the end
    std::vector<std::thread> m_copiers; // two per connection, joined at the end
};
