#include "dicom/internal/ContextNegotiation.h"

#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/dcmdata/dcxfer.h>

#include <cstring>

namespace quorin::dicom {

namespace {

bool isUncompressedDefault(const DcmXfer& xfer)
{
    return xfer.getXfer() == EXS_LittleEndianExplicit || xfer.getXfer() == EXS_LittleEndianImplicit;
}

const char* firstProposed(const std::vector<const char*>& proposed, E_TransferSyntax wanted)
{
    for (const char* uid : proposed) {
        if (DcmXfer(uid).getXfer() == wanted)
            return uid;
    }
    return nullptr;
}

void negotiateContext(T_ASC_Parameters& params, const T_ASC_PresentationContext& context)
{
    if (!isRelayableAbstractSyntax(context.abstractSyntax)) {
        ASC_refusePresentationContext(&params, context.presentationContextID,
                                      ASC_P_ABSTRACTSYNTAXNOTSUPPORTED);
        return;
    }
    std::vector<const char*> proposed;
    for (int i = 0; i < context.transferSyntaxCount; ++i)
        proposed.push_back(context.proposedTransferSyntaxes[i]);
    const char* chosen = preferredTransferSyntax(proposed);
    if (chosen)
        ASC_acceptPresentationContext(&params, context.presentationContextID, chosen);
    else
        ASC_refusePresentationContext(&params, context.presentationContextID,
                                      ASC_P_TRANSFERSYNTAXESNOTSUPPORTED);
}

} // namespace

bool isRelayableAbstractSyntax(const char* abstractSyntax)
{
    if (!abstractSyntax || !*abstractSyntax)
        return false;
    if (std::strcmp(abstractSyntax, UID_VerificationSOPClass) == 0)
        return true;
    if (dcmIsaStorageSOPClassUID(abstractSyntax, ESSC_All))
        return true;
    return dcmFindNameOfUID(abstractSyntax) == nullptr;
}

const char* preferredTransferSyntax(const std::vector<const char*>& proposed)
{
    for (const char* uid : proposed) {
        const DcmXfer xfer(uid);
        // Syntaxes the toolkit does not know could not be read or passed on.
        if (xfer.getXfer() != EXS_Unknown && !isUncompressedDefault(xfer))
            return uid;
    }
    if (const char* uid = firstProposed(proposed, EXS_LittleEndianExplicit))
        return uid;
    return firstProposed(proposed, EXS_LittleEndianImplicit);
}

void negotiateProposedContexts(T_ASC_Parameters& params)
{
    const int count = ASC_countPresentationContexts(&params);
    for (int i = 0; i < count; ++i) {
        T_ASC_PresentationContext context;
        if (ASC_getPresentationContext(&params, i, &context).good())
            negotiateContext(params, context);
    }
}

} // namespace quorin::dicom
