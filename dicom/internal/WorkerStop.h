#pragma once
// How an association's worker is stopped from another thread. The toolkit's
// association structures belong to the worker alone; what another thread
// may do is shut the worker's sockets down (both ways). A read or write
// blocked on them returns at once with an error, and the worker ends the
// association and cleans up by itself, as when a peer vanishes.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/dcmlayer.h>
#include <dcmtk/dcmnet/dcmtrans.h>

#include <functional>
#include <mutex>
#include <vector>

namespace quorin::dicom {

class WorkerStop {
public:
    // Any thread: shuts every attached socket down and ends the wait set
    // with setWake; sockets attached later are shut down at once.
    void request();
    bool requested() const;

    // Worker side: a socket of the worker's (the sender's or the
    // archive's). It must be detached before it is closed, so a number the
    // system hands out again is never shut down by mistake.
    void attach(DcmNativeSocketType socket);
    void detach(DcmNativeSocketType socket);

    // Worker side: how to end a wait that is not on a socket; empty clears it.
    void setWake(std::function<void()> wake);

    // Called (on the worker's thread) after each attach; set before the
    // worker starts.
    void setOnAttach(std::function<void()> onAttach) { m_onAttach = std::move(onAttach); }

private:
    mutable std::mutex m_mutex;
    bool m_requested = false;
    std::vector<DcmNativeSocketType> m_sockets;
    std::function<void()> m_wake;
    std::function<void()> m_onAttach;
};

// A worker's socket, attached to the WorkerStop of the thread that made it
// (none on a thread without one) until detached. A socket detached after a
// stop closes with a reset.
class StopAttachment {
public:
    explicit StopAttachment(DcmNativeSocketType socket);
    ~StopAttachment() { detach(); }
    StopAttachment(const StopAttachment&) = delete;
    StopAttachment& operator=(const StopAttachment&) = delete;

    // Before the socket is closed.
    void detach();

private:
    DcmNativeSocketType m_socket;
    WorkerStop* m_stop;
};

// Connections made through a network that uses this layer are attached to
// the WorkerStop of the thread that makes them (see StopsConnectionsOnThisThread),
// the sender's by ASC_receiveAssociation and the archive's by
// ASC_requestAssociation alike; on other threads they are plain connections.
class StoppableTransportLayer : public DcmTransportLayer {
public:
    DcmTransportConnection* createConnection(DcmNativeSocketType socket, OFBool useSecureLayer) override;
};

// While it lives, connections this thread makes through a
// StoppableTransportLayer are attached to `stop`.
class StopsConnectionsOnThisThread {
public:
    explicit StopsConnectionsOnThisThread(WorkerStop& stop);
    ~StopsConnectionsOnThisThread();
    StopsConnectionsOnThisThread(const StopsConnectionsOnThisThread&) = delete;
    StopsConnectionsOnThisThread& operator=(const StopsConnectionsOnThisThread&) = delete;

private:
    WorkerStop* m_previous;
};

} // namespace quorin::dicom
