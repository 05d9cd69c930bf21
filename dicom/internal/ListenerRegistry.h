#pragma once
// The process's listeners, one per port, whichever server object opened them.

#include <map>
#include <memory>
#include <mutex>
#include <vector>

class ToolkitServer;

namespace quorin::dicom {

class Listener;

class ListenerRegistry {
public:
    static ListenerRegistry& instance();
    ~ListenerRegistry();

    // True when the port accepts associations afterwards, raising images on
    // `owner`. A port this process already listens on is handed to `owner`.
    bool open(int port, ToolkitServer* owner);

    // Closes the port's listener, if any; the port is free on return.
    void close(int port);

    // Closes every listener that raises its images on `owner`.
    void closeOwnedBy(const ToolkitServer* owner);

    // The ports listened on right now.
    std::vector<int> ports();

private:
    ListenerRegistry() = default;

    std::mutex m_mutex;
    std::map<int, std::unique_ptr<Listener>> m_listeners;
};

} // namespace quorin::dicom
