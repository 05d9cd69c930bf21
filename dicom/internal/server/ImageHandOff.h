#pragma once
// The hand-off of a listener's images to the GUI side: which server object
// raises them, and whether the listener is still open. Associations outlive
// a closed listener (they answer their remaining images with a failure), so
// this is shared by them rather than owned by the listener. The one place
// the core reaches up to the adapter: the image is made and raised here.

#include <QtGlobal>
#include <memory>
#include <mutex>

class ToolkitServer;
struct ToolkitConnection;

namespace quorin::dicom {

class DecisionHandOff;

class ImageHandOff : public std::enable_shared_from_this<ImageHandOff> {
public:
    explicit ImageHandOff(ToolkitServer* owner);

    void setOwner(ToolkitServer* owner);
    ToolkitServer* owner() const;

    // From now on no image is raised, including ones already on their way.
    void close();

    // Queues the image whose decision `decision` waits for, to be raised on
    // the owner's thread. False when it will not be raised (listener
    // closed); when it is queued but then not raised (closed meanwhile,
    // server switched off or destroyed), the image is let go there, which
    // answers its sender with a failure.
    bool raise(std::shared_ptr<ToolkitConnection> connection, std::shared_ptr<DecisionHandOff> decision);

private:
    bool raisesTo(const ToolkitServer* server) const;

    mutable std::mutex m_mutex;
    ToolkitServer* m_owner;
    bool m_open = true;
};

} // namespace quorin::dicom
