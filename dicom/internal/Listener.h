#pragma once
// One listening port: a thread that accepts associations and hands each to
// a worker thread of its own.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

#include <atomic>
#include <memory>
#include <thread>

namespace quorin::dicom {

class ListenerLink;

class Listener {
public:
    // Accepting on all interfaces when this returns non-null; null when the
    // port cannot be opened (in use, no right to it).
    static std::unique_ptr<Listener> open(int port, std::shared_ptr<ListenerLink> link);

    // Stops accepting and frees the port before returning. Associations
    // already accepted go on; their further images are answered with a failure.
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    ListenerLink& link() { return *m_link; }

private:
    Listener(int port, T_ASC_Network* network, std::shared_ptr<ListenerLink> link);

    void acceptLoop();
    void acceptOne();
    void wakeAcceptLoop();

    const int m_port;
    T_ASC_Network* m_network;
    std::shared_ptr<ListenerLink> m_link;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace quorin::dicom
