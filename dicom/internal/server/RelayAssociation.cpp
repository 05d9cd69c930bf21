#include "dicom/internal/server/RelayAssociation.h"

#include "dicom/ToolkitConnection.h"
#include "dicom/internal/CoalescingConnection.h"
#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/RelayWay.h"
#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/ToolkitSetup.h"
#include "dicom/internal/inbound/ContextNegotiation.h"
#include "dicom/internal/inbound/DataSetHead.h"
#include "dicom/internal/inbound/ReceivedDataSet.h"
#include "dicom/internal/inbound/SenderFragments.h"
#include "dicom/internal/inbound/SenderPace.h"
#include "dicom/internal/outbound/CutThrough.h"
#include "dicom/internal/outbound/OutgoingImage.h"
#include "dicom/internal/outbound/StampedHead.h"
#include "dicom/internal/outbound/StoreAndForward.h"
#include "dicom/internal/server/DecisionHandOff.h"
#include "dicom/internal/server/PeerSocket.h"

#include <dcmtk/dcmnet/dimse.h>

namespace quorin::dicom {

namespace {

E_TransferSyntax AcceptedSyntax(T_ASC_Association* association, T_ASC_PresentationContextID contextId)
{
    T_ASC_PresentationContext context;
    if (ASC_findAcceptedPresentationContext(association->params, contextId, &context).bad())
        return EXS_Unknown;
    return DcmXfer(context.acceptedTransferSyntax).getXfer();
}

// The sender as SenderPace remembers it: its address and AE title.
std::string SenderKey(const T_ASC_Parameters& params)
{
    return std::string(params.DULparams.callingPresentationAddress) + '|' + params.DULparams.callingAPTitle;
}

// A pace told by fewer fragments says little.
constexpr int kFragmentsForAPace = 4;

} // namespace

RelayAssociation::RelayAssociation(std::shared_ptr<ImageHandOff> images, WorkerStop& stop)
    : m_images(std::move(images))
    , m_stop(stop)
{
    DcmSCPConfig& config = getConfig();
    config.setRespondWithCalledAETitle(OFTrue);
    config.setHostLookupEnabled(OFFalse);
    config.setMaxReceivePDULength(kMaxPduBytes);
    config.setACSETimeout(kAcseTimeoutSeconds);
    // Non-blocking with a limit, so a sender that vanishes without closing
    // its connection does not hold this thread forever.
    config.setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    config.setDIMSETimeout(kSenderIdleTimeoutSeconds);
}

RelayAssociation::~RelayAssociation() = default;

void RelayAssociation::serve(T_ASC_Association* association)
{
    m_association = association;
    run(association);
    m_association = nullptr; // destroyed by the toolkit when run() ends
    // The archive association lives as long as the sender's.
    m_archive.release();
}

OFBool RelayAssociation::checkCalledAETitleAccepted(const OFString&)
{
    return OFTrue;
}

OFBool RelayAssociation::checkCallingAETitleAccepted(const OFString&)
{
    return OFTrue;
}

void RelayAssociation::notifyAssociationRequest(const T_ASC_Parameters& params, DcmSCPActionType& action)
{
    // These are the association's own parameters (not a copy), handed over
    // as const by the toolkit; this is the one place a subclass sees them
    // before the answer is sent, so the contexts are marked here.
    try {
        auto& own = const_cast<T_ASC_Parameters&>(params);
        NegotiateProposedContexts(own);
        own.ourMaxPDUReceiveSize = long(PduBytesFor(SenderKey(params), PeerOnThisHost(m_association)));
    } catch (...) {
        action = DCMSCP_ACTION_REFUSE_ASSOCIATION;
    }
}

OFCondition RelayAssociation::negotiateAssociation()
{
    // Done in notifyAssociationRequest; the toolkit's own negotiation would
    // refuse everything outside a configured profile.
    // The last step before the toolkit answers: a sender already gone (it
    // reset the connection right after its request) is dropped without an
    // answer, since DCMTK 3.6.7 leaks the buffer of an acceptance (4 KB and
    // more for a long proposal) when writing it fails.
    return PeerHasGone(m_association) ? DUL_PEERABORTEDASSOCIATION : EC_Normal;
}

OFCondition RelayAssociation::handleIncomingCommand(T_DIMSE_Message* message,
                                                    const DcmPresentationContextInfo& context)
{
    // Nothing may unwind through the toolkit; an error ends the association,
    // which tells the sender its image was not stored.
    try {
        switch (message->CommandField) {
        case DIMSE_C_ECHO_RQ:
            return handleECHORequest(message->msg.CEchoRQ, context.presentationContextID);
        case DIMSE_C_STORE_RQ:
            return handleStore(message->msg.CStoreRQ, context.presentationContextID);
        default:
            return DcmThreadSCP::handleIncomingCommand(message, context);
        }
    } catch (...) {
        return EC_IllegalCall;
    }
}

// Cut-through wherever it is safe: the image raised, its head read while
// the handler decides, the rest passed on as it arrives. Store and forward
// for what cannot be passed on unread (big endian, deflated), a head the
// relay cannot rewrite alone, and whatever the decision rules out (see
// outbound/CutThrough).
OFCondition RelayAssociation::handleStore(T_DIMSE_C_StoreRQ& request, T_ASC_PresentationContextID contextId)
{
    MarkTimeline(TimelineStage::CommandIn);
    const E_TransferSyntax syntax = AcceptedSyntax(m_association, contextId);
    if (!CutThroughEnabled() || !DataSetHead::cutThroughSyntax(syntax) || request.DataSetType == DIMSE_DATASET_NULL)
        return relayStoreAndForward(request, contextId, syntax);
    SenderFragments fragments(m_association, contextId);
    DataSetHead head(syntax);
    const OFCondition relayed = relayCutThrough(request, contextId, head, fragments);
    rememberSenderPace(fragments);
    return relayed;
}

OFCondition RelayAssociation::relayCutThrough(T_DIMSE_C_StoreRQ& request, T_ASC_PresentationContextID contextId,
                                              DataSetHead& head, SenderFragments& fragments)
{
    // The decision needs nothing from the data set: the handler decides
    // while the head arrives and the toolkit reads it, so neither waits
    // for the other.
    OFCondition reading = EC_Normal;
    std::unique_ptr<DcmDataset> parsedHead;
    const std::optional<ForwardRequest> decision
        = AwaitDecision(*m_images, connection(), QString::fromLatin1(request.AffectedSOPInstanceUID), m_stop, [&] {
              reading = head.read(fragments);
              MarkTimeline(TimelineStage::HeadComplete);
              if (reading.good() && head.plain())
                  parsedHead = ReadHead(head);
          });
    if (reading.bad())
        return reading; // sender gone or breaking the rules: the association ends, nothing reported
    ForwardResult result = RelayFailure(QStringLiteral("the image was not forwarded"));
    if (decision) {
        const std::optional<ForwardResult> forwarded
            = cutThroughOrStoreAndForward(head, parsedHead.get(), fragments, *decision, reading);
        if (!forwarded)
            return reading; // no one to answer, nothing to report
        result = *forwarded;
    }
    // The archive failed or the image was let go before its end: the rest
    // is read and dropped so the sender can be answered.
    const OFCondition draining = fragments.discardRest();
    const OFCondition answered = draining.good() ? answer(contextId, request, result.status) : draining;
    // The handler hears the outcome once the sender has: its line C comes
    // after the answer, which waits for nothing on the GUI thread.
    if (decision)
        decision->reportResult(result);
    return answered;
}

// Cut-through when the head and the archive allow it, else the rest
// received behind the head and the whole image stored and forwarded.
// Nothing, with `ended` set, when the association ends without an answer.
std::optional<ForwardResult> RelayAssociation::cutThroughOrStoreAndForward(DataSetHead& head, DcmDataset* parsedHead,
                                                                           SenderFragments& fragments,
                                                                           const ForwardRequest& decision,
                                                                           OFCondition& ended)
{
    const CutThroughOutcome outcome = CutThrough(head, parsedHead, fragments, decision, m_archive);
    if (outcome.senderGone) {
        ended = DUL_PEERABORTEDASSOCIATION;
        return std::nullopt;
    }
    if (outcome.way == RelayWay::CutThrough)
        return outcome.result;
    ReceivedDataSet received(head.syntax());
    const OFCondition receiving = received.receiveAfter(head, fragments);
    if (receiving.bad()) {
        ended = receiving;
        return std::nullopt;
    }
    return StoreAndForward(received, decision, m_archive);
}

// Store and forward: the image received whole, then raised, parsed while
// the handler decides, stamped and sent; the handler hears the outcome, then
// the sender.
OFCondition RelayAssociation::relayStoreAndForward(T_DIMSE_C_StoreRQ& request, T_ASC_PresentationContextID contextId,
                                                   E_TransferSyntax syntax)
{
    if (request.DataSetType == DIMSE_DATASET_NULL)
        return DIMSE_BADMESSAGE;
    // Freed (memory, temporary file) on every path when this scope ends, after the answer.
    ReceivedDataSet received(syntax);
    const OFCondition receiving = received.receive(m_association, contextId);
    if (receiving.bad())
        return receiving; // sender gone or data unreadable: the association ends
    // A failure status is an answer, not an error: the association goes on.
    // (So is an image that could not be kept.)
    return answer(contextId, request, received.good() ? handOffReceived(request, received) : kStatusRelayFailure);
}

// The status to answer with: the archive's own when it was asked, a relay
// failure when the image was not raised, not forwarded, or the archive
// could not be reached.
quint16 RelayAssociation::handOffReceived(const T_DIMSE_C_StoreRQ& request, const ReceivedDataSet& received)
{
    try {
        // Parsed while the handler decides: the decision needs nothing from
        // the parsed image, and this thread would only wait. The changes are
        // applied once the decision is in.
        std::unique_ptr<OutgoingImage> image;
        const std::optional<ForwardRequest> decision
            = AwaitDecision(*m_images, connection(), QString::fromLatin1(request.AffectedSOPInstanceUID), m_stop,
                            [&] { image = ReadOutgoingImage(received); });
        if (!decision)
            return kStatusRelayFailure;
        const ForwardResult result = StoreAndForward(image.get(), *decision, m_archive);
        decision->reportResult(result);
        return result.status;
    } catch (...) {
        return kStatusRelayFailure;
    }
}

OFCondition RelayAssociation::answer(T_ASC_PresentationContextID contextId, T_DIMSE_C_StoreRQ& request,
                                     quint16 status)
{
    const OFCondition sent = sendSTOREResponse(contextId, request, status);
    PushHeldWrites(); // the sender waits for nothing else; the handler's report comes after
    MarkTimeline(TimelineStage::SenderAnswerOut);
    return sent;
}

// The size of the sender's next association's PDUs follows it.
void RelayAssociation::rememberSenderPace(const SenderFragments& fragments)
{
    const SenderFragments::Pace pace = fragments.pace();
    if (fragments.finished() && pace.fragments >= kFragmentsForAPace)
        RememberPace(SenderKey(*m_association->params), pace.bytes, pace.waited);
}

std::shared_ptr<ToolkitConnection> RelayAssociation::connection()
{
    if (!m_connection) {
        m_connection = std::make_shared<ToolkitConnection>(
            ToolkitConnection{QString::fromLatin1(getPeerAETitle().c_str()).trimmed(),
                              QString::fromLatin1(getCalledAETitle().c_str()).trimmed(),
                              QString::fromLatin1(getPeerIP().c_str())});
    }
    return m_connection;
}

} // namespace quorin::dicom
