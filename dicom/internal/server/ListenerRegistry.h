#pragma once
// The process's listeners, one per port, whichever server object opened them,
// and the workers that serve their connections.

#include "dicom/internal/server/AssociationWorkers.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

class ToolkitServer;

namespace quorin::dicom {

class Listener;

class ListenerRegistry {
public:
    // The one registry. It is never destroyed: its threads end in
    // shutdown(), which the program calls as it ends, and which runs at the
    // latest as the QCoreApplication goes, so never during static
    // destruction, where the toolkit's own statics go in no defined order.
    static ListenerRegistry& instance();

    // True when the port accepts associations afterwards, raising images on
    // `owner`. A port this process already listens on is handed to `owner`.
    bool open(int port, ToolkitServer* owner);

    // Closes the port's listener, if any; the port is free on return.
    void close(int port);

    // Closes every listener that raises its images on `owner`.
    void closeOwnedBy(const ToolkitServer* owner);

    // The ports listened on right now.
    std::vector<int> ports();

    // Closes every listener, aborts every association still running (the
    // senders' and the archive's) and joins their threads; nothing is
    // opened afterwards. For the end of the program.
    void shutdown();

private:
    ListenerRegistry() = default;
    ~ListenerRegistry() = default;

    std::mutex m_mutex;
    bool m_shutDown = false;
    // Before the listeners, which hand their connections to it: it goes after them.
    AssociationWorkers m_workers;
    std::map<int, std::unique_ptr<Listener>> m_listeners;
};

} // namespace quorin::dicom
