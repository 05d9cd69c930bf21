#pragma once
// One sender's association, served on its own worker thread: negotiation
// (any AE titles, every storage SOP class), C-ECHO, and C-STORE, where each
// image takes its way to the archive before its sender is answered:
// cut-through wherever it is safe (raised at its command, its head read
// while the handler decides, the rest passed on as it arrives), else store
// and forward (received whole, in memory or a temporary file, then sent).

#include "dicom/internal/outbound/ArchiveSession.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmnet/scpthrd.h>

#include <memory>
#include <optional>

struct ToolkitConnection;

namespace quorin::dicom {

class DataSetHead;
struct ForwardRequest;
class ImageHandOff;
class ReceivedDataSet;
class SenderFragments;
class WorkerStop;

class RelayAssociation : private DcmThreadSCP {
public:
    // `stop` ends the association from another thread (see WorkerStop).
    RelayAssociation(std::shared_ptr<ImageHandOff> images, WorkerStop& stop);
    ~RelayAssociation() override;

    // Serves the accepted association until it ends; takes ownership of it.
    void serve(T_ASC_Association* association);

private:
    OFBool checkCalledAETitleAccepted(const OFString& calledAE) override;
    OFBool checkCallingAETitleAccepted(const OFString& callingAE) override;
    void notifyAssociationRequest(const T_ASC_Parameters& params, DcmSCPActionType& action) override;
    OFCondition negotiateAssociation() override;
    OFCondition handleIncomingCommand(T_DIMSE_Message* message,
                                      const DcmPresentationContextInfo& context) override;

    OFCondition handleStore(T_DIMSE_C_StoreRQ& request, T_ASC_PresentationContextID contextId);
    OFCondition relayCutThrough(T_DIMSE_C_StoreRQ& request, T_ASC_PresentationContextID contextId,
                                DataSetHead& head, SenderFragments& fragments);
    std::optional<ForwardResult> cutThroughOrStoreAndForward(DataSetHead& head, DcmDataset* parsedHead,
                                                             SenderFragments& fragments, const ForwardRequest& decision,
                                                             OFCondition& ended);
    OFCondition relayStoreAndForward(T_DIMSE_C_StoreRQ& request, T_ASC_PresentationContextID contextId,
                                     E_TransferSyntax syntax);
    quint16 handOffReceived(const T_DIMSE_C_StoreRQ& request, const ReceivedDataSet& received);
    OFCondition answer(T_ASC_PresentationContextID contextId, T_DIMSE_C_StoreRQ& request, quint16 status);
    void rememberSenderPace(const SenderFragments& fragments);
    std::shared_ptr<ToolkitConnection> connection();

    std::shared_ptr<ImageHandOff> m_images;
    WorkerStop& m_stop;
    // The association being served (the toolkit's base class keeps its own
    // copy private); set for the duration of serve().
    T_ASC_Association* m_association = nullptr;
    std::shared_ptr<ToolkitConnection> m_connection;
    ArchiveSession m_archive;
};

} // namespace quorin::dicom
