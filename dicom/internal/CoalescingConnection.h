#pragma once
// A TCP connection whose writes travel together. The toolkit writes each
// PDU as two pieces (its header, then its data), and with TCP_NODELAY
// every write would leave as a segment of its own: the header of 12 bytes
// alone, the peer woken for it. Here each write tells the system that more
// follows, so a PDU's header goes with its data, and the PDUs of one
// message, or the cut-through fragments while a fast sender's next ones are
// already waiting, share segments. Nothing stays back while the thread
// waits: before it waits for data that is not there yet, on any of its
// connections, what they hold is pushed out; so is it before a close.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/dcmtrans.h>

namespace quorin::dicom {

// A connection that may hold written bytes back. This thread's holders are
// pushed before it waits for anything (PushHeldWrites).
class WriteHolder {
public:
    virtual ~WriteHolder() = default;
    // Sends what is held.
    virtual void push() = 0;

protected:
    // Counts this one among the thread's holders, once.
    void startHolding();
    // False when it held nothing.
    bool stopHolding();
    bool isHolding() const { return m_holding; }
    // Whether any connection of this thread holds bytes back.
    static bool threadHolds();

private:
    bool m_holding = false;
};

// Sends what `socket` holds back under TCP_CORK (Linux); nothing elsewhere.
void Uncork(DcmNativeSocketType socket);
// Holds its writes back until Uncork; false where the system cannot.
bool Cork(DcmNativeSocketType socket);

class CoalescingConnection : public DcmTCPConnection, public WriteHolder {
public:
    explicit CoalescingConnection(DcmNativeSocketType socket);
    ~CoalescingConnection() override;

    ssize_t write(void* buf, size_t nbyte) override;
    ssize_t read(void* buf, size_t nbyte) override;
    OFBool networkDataAvailable(int timeout) override;
    void close() override;
    void closeTransportConnection() override;

    void push() override;
};

// Sends what this thread's connections hold (before a wait that is not on
// a socket).
void PushHeldWrites();

} // namespace quorin::dicom
