#pragma once
// The relay's association to the archive, owned by one receiving worker. It
// stays open across consecutive images while the destination is the same and
// the image's kind was proposed, and is released when the worker's receiving
// association ends.

#include "dicom/ForwardResult.h"
#include "dicom/internal/ArchiveProposal.h"
#include "dicom/internal/WorkerStop.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>

#include <QString>
#include <vector>

namespace quorin::dicom {

class OutgoingImage;

struct ArchiveAddress {
    QString host;
    int port = 0;
    QString callingAETitle;
    QString calledAETitle;
    bool operator==(const ArchiveAddress&) const = default;
};

class ArchiveSession {
public:
    ArchiveSession() = default;
    ~ArchiveSession();
    ArchiveSession(const ArchiveSession&) = delete;
    ArchiveSession& operator=(const ArchiveSession&) = delete;

    // Stores the image by C-STORE; the result carries the archive's status,
    // or a relay failure when the archive could not be reached or asked.
    ForwardResult store(OutgoingImage& image, const ArchiveAddress& address);

    // Ends the association to the archive, if any.
    void release();

private:
    struct SendOutcome {
        ForwardResult result;
        bool associationLost = false;
        // Lost because a time limit ran out: the archive hangs.
        bool timedOut = false;
    };

    bool isOpenFor(const ArchiveAddress& address, const ImageKind& kind);
    QString associate(const ArchiveAddress& address);
    QString requestAssociation(T_ASC_Parameters* params);
    SendOutcome send(OutgoingImage& image);
    void drop(bool graceful);
    // Closes the connection without a word: an archive that hangs would
    // neither read an A-ABORT nor close its end, and the toolkit's abort
    // waits for that close.
    void abandon();

    // Outlives the network: connections to the archive can be shut down by
    // whoever stops the worker that owns this session.
    StoppableTransportLayer m_transport;
    T_ASC_Network* m_network = nullptr;
    T_ASC_Association* m_association = nullptr;
    ArchiveAddress m_address;
    std::vector<ProposedContext> m_openContexts;
    ArchiveProposal m_proposal;
};

} // namespace quorin::dicom
