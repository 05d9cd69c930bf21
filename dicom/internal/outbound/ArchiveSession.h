#pragma once
// The relay's association to the archive, owned by one receiving worker. It
// stays open across consecutive images while the destination is the same and
// the image's kind was proposed, and is released when the worker's receiving
// association ends.

#include "dicom/ArchiveAddress.h"
#include "dicom/ForwardResult.h"
#include "dicom/internal/WorkerStop.h"
#include "dicom/internal/outbound/ArchiveProposal.h"
#include "dicom/internal/outbound/ArchiveTlsLayer.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/assoc.h>
#include <dcmtk/dcmdata/dcdatset.h>

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quorin::dicom {

class OutgoingImage;
class CutThroughDataSet;

class ArchiveSession {
public:
    ArchiveSession() = default;
    ~ArchiveSession();
    ArchiveSession(const ArchiveSession&) = delete;
    ArchiveSession& operator=(const ArchiveSession&) = delete;

    // Stores the image by C-STORE; the result carries the archive's status,
    // or a relay failure when the archive could not be reached or asked.
    ForwardResult store(OutgoingImage& image, const ArchiveAddress& address);

    // Stores a data set of `kind` while it arrives (cut-through); nothing,
    // with nothing sent, when the archive does not take `kind` in its own
    // transfer syntax (the image is then stored and forwarded). A transfer
    // broken off by `data` itself aborts the association.
    std::optional<ForwardResult> storeCutThrough(const ImageKind& kind, const OFString& sopInstanceUid,
                                                 CutThroughDataSet& data, const ArchiveAddress& address);

    // Ends the association to the archive, if any.
    void release();
    // Aborts it: the archive discards an image it got part of.
    void abort() { drop(false); }

private:
    struct SendOutcome {
        ForwardResult result;
        bool associationLost = false;
        // Lost because a time limit ran out: the archive hangs.
        bool timedOut = false;
    };

    using Clock = std::chrono::steady_clock;

    // Keeps or opens an association for `kind`; a failure text, else empty.
    QString openFor(const ArchiveAddress& address, const ImageKind& kind, bool& reused);
    bool isOpenFor(const ArchiveAddress& address, const ImageKind& kind);
    QString associate(const ArchiveAddress& address);
    // Plain or TLS, as the address says; a failure text, else empty.
    QString chooseTransport(const ArchiveAddress& address);
    QString requestAssociation(T_ASC_Parameters* params);
    T_ASC_PresentationContextID exactContext(const ImageKind& kind) const;
    SendOutcome send(OutgoingImage& image);
    // One C-STORE; `progressSince` tells, after a failed write, since when
    // the transfer has not moved.
    SendOutcome storeData(T_ASC_PresentationContextID id, const OFString& sopClassUid,
                          const OFString& sopInstanceUid, DcmDataset* data,
                          const std::function<Clock::time_point()>& progressSince);
    void settle(const SendOutcome& outcome);
    void drop(bool graceful);
    // Closes the connection without a word: an archive that hangs would
    // neither read an A-ABORT nor close its end, and the toolkit's abort
    // waits for that close.
    void abandon();

    // Outlives the network: connections to the archive can be shut down by
    // whoever stops the worker that owns this session.
    StoppableTransportLayer m_transport;
    // The layer of a TLS association, made for it; none while plain.
    std::unique_ptr<ArchiveTlsLayer> m_tlsTransport;
    T_ASC_Network* m_network = nullptr;
    T_ASC_Association* m_association = nullptr;
    std::optional<ArchiveAddress> m_address; // of the open association
    std::vector<ProposedContext> m_openContexts;
    ArchiveProposal m_proposal;
};

} // namespace quorin::dicom
