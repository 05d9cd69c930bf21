#pragma once
// One image on its way through the relay, raised as soon as its command is
// in: its sender is answered only with the outcome of its forward. Handed to
// the GUI thread by ToolkitServer::ImageReceivedAsync. The image itself
// stays with its worker, never on the GUI thread: still arriving
// (cut-through), or held until the answer (store and forward: in memory up
// to 4 MB, larger ones in a temporary file).

#include "dicom/ArchiveAddress.h"
#include "dicom/ForwardResult.h"
#include "dicom/ToolkitAttributeSet.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

namespace quorin::dicom {
class DecisionHandOff; // internal: the way back to the receiving worker
}

class ToolkitImage {
public:
    explicit ToolkitImage(std::shared_ptr<quorin::dicom::DecisionHandOff> decision);
    // When the last reference goes without a forward, the sender is answered
    // with a failure status: nothing is acknowledged that the archive did not take.
    // The event's own arguments hold a reference until every handler has
    // returned; ReleaseImage() answers earlier.
    ~ToolkitImage();
    ToolkitImage(const ToolkitImage&) = delete;
    ToolkitImage& operator=(const ToolkitImage&) = delete;

    // Text for the debug log: the SOP Instance UID (no patient data).
    QString ImageText() const;

    ToolkitAttributeSet& ImageAttributes();

    // Stores the image, with the attribute changes applied, by C-STORE at
    // `archive` (its host and port, called and calling AE titles). Returns at
    // once; the send runs off the calling thread and `done` runs afterwards
    // on the thread of `context` (not at all if context is gone). The image's
    // sender is answered with the outcome. Only the first call forwards; a
    // later one, or one after the relay gave up on the image (listener
    // closed, no decision within 10 minutes), reports a failure at once.
    // Changes made after this call are not applied.
    void ForwardImage(const ArchiveAddress& archive, QObject* context,
                      std::function<void(const ForwardResult&)> done);

    // Gives the image up without forwarding it: its sender is answered with
    // a failure status now (for example before a handler shows a message).
    // Does nothing once the image was forwarded; a later ForwardImage
    // reports a failure.
    void releaseImage();

private:
    std::shared_ptr<quorin::dicom::DecisionHandOff> m_decision;
    ToolkitAttributeSet m_attributes;
    bool m_forwarded = false;
};
