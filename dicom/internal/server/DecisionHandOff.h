#pragma once
// The hand-off of a received image's decision between the GUI thread and
// the worker that received it: the worker raises the image and waits for
// the handler's decision (forward or let go), so the sender is answered
// only with the real outcome.

#include "dicom/internal/ForwardRequest.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

struct ToolkitConnection;

namespace quorin::dicom {

class ImageHandOff;
class WorkerStop;

// One image's decision, shared by its ToolkitImage (the handler's side) and
// the worker waiting for it.
class DecisionHandOff {
public:
    explicit DecisionHandOff(QString sopInstanceUid);

    const QString& sopInstanceUid() const { return m_sopInstanceUid; }

    // Handler side. False when the image is no longer waiting (already
    // forwarded, or the worker gave up on it): the request was not taken.
    bool submitForward(ForwardRequest request);
    // Handler side: the image went without a forward.
    void release();

    // Worker side. The forward request, or nothing when the image was let go
    // or no decision came within `limit`; either way the hand-off is closed
    // afterwards and later submissions are refused.
    std::optional<ForwardRequest> waitForDecision(std::chrono::milliseconds limit);

    // How long the worker looks for the decision before it sleeps (why:
    // bench/README.md).
    static constexpr std::chrono::microseconds kWatchBeforeSleeping{50};

private:
    enum class State { Waiting, ForwardRequested, Released, Closed };

    void watchForDecision();

    const QString m_sopInstanceUid;
    std::mutex m_mutex;
    std::condition_variable m_decided;
    State m_state = State::Waiting;
    std::atomic<bool> m_settled{false}; // m_state left Waiting: read without the lock
    std::optional<ForwardRequest> m_request;
};

// Worker side: raises the image and waits for the handler's decision;
// `meanwhile` runs on this thread in between. Nothing when the image was not
// raised, was let go, or no decision came; `stop` also ends the wait.
std::optional<ForwardRequest> AwaitDecision(ImageHandOff& images, std::shared_ptr<ToolkitConnection> connection,
                                            const QString& sopInstanceUid, WorkerStop& stop,
                                            const std::function<void()>& meanwhile = {});

} // namespace quorin::dicom
