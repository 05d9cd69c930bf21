// The hand-off of one received image between its worker and the GUI thread:
// raise it there, wait for the handler's decision, carry out the forward,
// report the outcome to both the handler and (through the returned status)
// the image's sender.

#include <QString>
#include <memory>

struct ToolkitConnection;

namespace quorin::dicom {

class ArchiveSession;
class ListenerLink;
class ReceivedDataSet;
class WorkerStop;

// The status to answer the sender with: the archive's own when it was asked,
// a relay failure when the image was not raised, not forwarded, or the
// archive could not be reached. `stop` also ends the wait for the decision.
quint16 handOffImage(ListenerLink& link, std::shared_ptr<ToolkitConnection> connection,
                     const QString& sopInstanceUid, const ReceivedDataSet& received, ArchiveSession& archive,
                     WorkerStop& stop);

} // namespace quorin::dicom
