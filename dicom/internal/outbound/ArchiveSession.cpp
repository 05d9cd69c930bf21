#include "dicom/internal/outbound/ArchiveSession.h"

#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/ToolkitSetup.h"
#include "dicom/internal/outbound/CutThroughDataSet.h"
#include "dicom/internal/outbound/OutgoingImage.h"

#include <dcmtk/dcmdata/dcxfer.h>
#include <dcmtk/dcmnet/dimse.h>
#include <dcmtk/dcmnet/diutil.h>

#include <chrono>
#include <cstring>

namespace quorin::dicom {

namespace {

QString ConditionText(const OFCondition& condition)
{
    return QString::fromLocal8Bit(condition.text());
}

QByteArray Latin1(const QString& text)
{
    return text.toLatin1();
}

void AddContexts(T_ASC_Parameters* params, const std::vector<ProposedContext>& contexts)
{
    T_ASC_PresentationContextID id = 1;
    for (const ProposedContext& context : contexts) {
        std::vector<const char*> syntaxes;
        for (const std::string& uid : context.transferSyntaxes)
            syntaxes.push_back(uid.c_str());
        ASC_addPresentationContext(params, id, context.abstractSyntax.c_str(), syntaxes.data(),
                                   int(syntaxes.size()));
        id += 2;
    }
}

T_DIMSE_C_StoreRQ StoreRequest(T_ASC_Association* association, const OFString& sopClassUid,
                               const OFString& sopInstanceUid)
{
    T_DIMSE_C_StoreRQ request;
    std::memset(&request, 0, sizeof(request));
    request.MessageID = association->nextMsgID++;
    OFStandard::strlcpy(request.AffectedSOPClassUID, sopClassUid.c_str(), sizeof(request.AffectedSOPClassUID));
    OFStandard::strlcpy(request.AffectedSOPInstanceUID, sopInstanceUid.c_str(),
                        sizeof(request.AffectedSOPInstanceUID));
    request.DataSetType = DIMSE_DATASET_PRESENT;
    request.Priority = DIMSE_PRIORITY_MEDIUM;
    return request;
}

} // namespace

ArchiveSession::~ArchiveSession()
{
    release();
    if (m_network)
        ASC_dropNetwork(&m_network);
}

ForwardResult ArchiveSession::store(OutgoingImage& image, const ArchiveAddress& address)
{
    const ImageKind kind{image.sopClassUid().c_str(), DcmXfer(image.originalSyntax()).getXferID()};
    bool reused = false;
    const QString failure = openFor(address, kind, reused);
    if (!failure.isEmpty())
        return RelayFailure(failure);
    SendOutcome outcome = send(image);
    if (outcome.associationLost && !outcome.timedOut && reused) {
        // The kept association may have died while idle (archive restarted,
        // idle timeout): one fresh attempt. Not after a time limit ran out:
        // the archive hangs, and a second wait would outlast the sender's.
        drop(false);
        const QString again = associate(address);
        if (!again.isEmpty())
            return RelayFailure(again);
        outcome = send(image);
    }
    settle(outcome);
    return outcome.result;
}

std::optional<ForwardResult> ArchiveSession::storeCutThrough(const ImageKind& kind, const OFString& sopInstanceUid,
                                                             CutThroughDataSet& data, const ArchiveAddress& address)
{
    bool reused = false;
    const QString failure = openFor(address, kind, reused);
    if (!failure.isEmpty())
        return RelayFailure(failure);
    T_ASC_PresentationContextID id = exactContext(kind);
    if (id == 0)
        return std::nullopt;
    const auto progress = [&data] { return data.lastProgress(); };
    data.sendOn(m_association, id);
    SendOutcome outcome = storeData(id, kind.sopClassUid.c_str(), sopInstanceUid, &data, progress);
    // As in store(), and only while all that went out is still at hand.
    if (outcome.associationLost && !outcome.timedOut && reused && data.restartable()) {
        drop(false);
        const QString again = associate(address);
        if (!again.isEmpty())
            return RelayFailure(again);
        if ((id = exactContext(kind)) == 0)
            return std::nullopt;
        data.restart();
        data.sendOn(m_association, id);
        outcome = storeData(id, kind.sopClassUid.c_str(), sopInstanceUid, &data, progress);
    }
    if (data.failure() != CutThroughDataSet::Failure::None)
        outcome.timedOut = false; // the archive is fine: tell it to discard the image
    if (data.failure() == CutThroughDataSet::Failure::DataSetEnds)
        outcome.result = RelayFailure(QStringLiteral("the data set does not end where its elements do"));
    settle(outcome);
    return outcome.result;
}

QString ArchiveSession::openFor(const ArchiveAddress& address, const ImageKind& kind, bool& reused)
{
    m_proposal.remember(kind);
    reused = isOpenFor(address, kind);
    if (reused)
        return QString();
    release();
    return associate(address);
}

void ArchiveSession::settle(const SendOutcome& outcome)
{
    if (outcome.timedOut)
        abandon();
    else if (outcome.associationLost)
        drop(false);
}

T_ASC_PresentationContextID ArchiveSession::exactContext(const ImageKind& kind) const
{
    const T_ASC_PresentationContextID id = ASC_findAcceptedPresentationContextID(
        m_association, kind.sopClassUid.c_str(), kind.transferSyntaxUid.c_str());
    T_ASC_PresentationContext context;
    if (id == 0 || ASC_findAcceptedPresentationContext(m_association->params, id, &context).bad())
        return 0;
    return kind.transferSyntaxUid == context.acceptedTransferSyntax ? id : 0;
}

void ArchiveSession::release()
{
    drop(true);
}

bool ArchiveSession::isOpenFor(const ArchiveAddress& address, const ImageKind& kind)
{
    if (!m_association || !(m_address == address) || !ContextsCover(m_openContexts, kind))
        return false;
    // An idle association has nothing to read unless the archive released,
    // aborted or closed it meanwhile.
    if (ASC_dataWaiting(m_association, 0)) {
        drop(false);
        return false;
    }
    return true;
}

QString ArchiveSession::associate(const ArchiveAddress& address)
{
    if (!m_network) {
        const OFCondition made = ASC_initializeNetwork(NET_REQUESTOR, 0, CurrentArchiveTimeLimits().acseSeconds,
                                                       &m_network);
        if (made.bad())
            return QStringLiteral("cannot set up the network: %1").arg(ConditionText(made));
    }
    if (const QString failure = chooseTransport(address); !failure.isEmpty())
        return failure;
    T_ASC_Parameters* params = nullptr;
    ASC_createAssociationParameters(&params, kMaxPduBytes);
    ASC_setTransportLayerType(params, address.tls().has_value());
    ASC_setAPTitles(params, Latin1(address.callingAETitle()).constData(),
                    Latin1(address.calledAETitle()).constData(), nullptr);
    const QByteArray peer = Latin1(QStringLiteral("%1:%2").arg(address.host()).arg(address.port()));
    ASC_setPresentationAddresses(params, OFStandard::getHostName().c_str(), peer.constData());
    m_openContexts = m_proposal.contexts();
    AddContexts(params, m_openContexts);
    const QString failure = requestAssociation(params);
    if (failure.isEmpty())
        m_address = address;
    return failure;
}

QString ArchiveSession::chooseTransport(const ArchiveAddress& address)
{
    // No association is open here: the layer it was made through may go.
    m_tlsTransport.reset();
    QString failure;
    if (address.tls())
        m_tlsTransport = ArchiveTlsLayer::make(*address.tls(), failure);
    DcmTransportLayer* layer = m_tlsTransport ? m_tlsTransport.get() : static_cast<DcmTransportLayer*>(&m_transport);
    ASC_setTransportLayer(m_network, layer, 0);
    return failure;
}

QString ArchiveSession::requestAssociation(T_ASC_Parameters* params)
{
    const OFCondition requested = ASC_requestAssociation(m_network, params, &m_association);
    if (requested.bad()) {
        if (m_association)
            drop(false);
        else
            ASC_destroyAssociationParameters(&params);
        if (requested == DUL_ASSOCIATIONREJECTED)
            return QStringLiteral("the archive rejected the association");
        return QStringLiteral("cannot reach the archive: %1").arg(ConditionText(requested));
    }
    if (ASC_countAcceptedPresentationContexts(m_association->params) == 0) {
        drop(true);
        return QStringLiteral("the archive accepts none of the proposed presentation contexts");
    }
    return QString();
}

ArchiveSession::SendOutcome ArchiveSession::send(OutgoingImage& image)
{
    const T_ASC_PresentationContextID id = ASC_findAcceptedPresentationContextID(
        m_association, image.sopClassUid().c_str(), DcmXfer(image.originalSyntax()).getXferID());
    if (id == 0)
        return {RelayFailure(QStringLiteral("the archive does not accept this SOP class")), false};
    T_ASC_PresentationContext context;
    ASC_findAcceptedPresentationContext(m_association->params, id, &context);
    if (!image.prepareFor(DcmXfer(context.acceptedTransferSyntax).getXfer()))
        return {RelayFailure(image.error()), false};

    const auto started = Clock::now();
    return storeData(id, image.sopClassUid(), image.sopInstanceUid(), image.dataset(), [started] { return started; });
}

ArchiveSession::SendOutcome ArchiveSession::storeData(T_ASC_PresentationContextID id, const OFString& sopClassUid,
                                                      const OFString& sopInstanceUid, DcmDataset* data,
                                                      const std::function<Clock::time_point()>& progressSince)
{
    T_DIMSE_C_StoreRQ request = StoreRequest(m_association, sopClassUid, sopInstanceUid);
    T_DIMSE_C_StoreRSP response;
    std::memset(&response, 0, sizeof(response));
    DcmDataset* statusDetail = nullptr;
    const ArchiveTimeLimits limits = CurrentArchiveTimeLimits();
    MarkTimeline(TimelineStage::FirstByteOut);
    const OFCondition sent = DIMSE_storeUser(m_association, id, &request, nullptr, data, nullptr, nullptr,
                                             DIMSE_NONBLOCKING, limits.dimseSeconds, &response, &statusDetail);
    MarkTimeline(TimelineStage::ArchiveAnswerIn);
    delete statusDetail;
    if (sent.bad()) {
        // The answer's wait reports its own condition; a stalled write only a
        // plain I/O error, told apart from a connection found closed (which
        // fails at once) by how long the transfer has not moved.
        const bool timedOut = sent == DIMSE_NODATAAVAILABLE
            || Clock::now() - progressSince() >= std::chrono::seconds(limits.sendSeconds);
        return {RelayFailure(QStringLiteral("the transfer to the archive failed: %1").arg(ConditionText(sent))),
                true, timedOut};
    }
    const quint16 status = response.DimseStatus;
    return {ForwardResult{ArchiveAccepted(status), status,
                          QStringLiteral("archive status 0x%1").arg(status, 4, 16, QLatin1Char('0'))},
            false};
}

void ArchiveSession::abandon()
{
    if (!m_association)
        return;
    // Not ASC_dropSCPAssociation: it first waits up to 30 s for the peer to
    // speak or close.
    ASC_dropAssociation(m_association);
    ASC_destroyAssociation(&m_association);
    m_association = nullptr;
    m_openContexts.clear();
}

void ArchiveSession::drop(bool graceful)
{
    if (!m_association)
        return;
    if (!graceful || ASC_releaseAssociation(m_association).bad())
        ASC_abortAssociation(m_association);
    abandon();
}

} // namespace quorin::dicom
