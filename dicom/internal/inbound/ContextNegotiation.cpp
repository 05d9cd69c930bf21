#include "dicom/internal/inbound/ContextNegotiation.h"

#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/dcmdata/dcxfer.h>

#include <algorithm>
#include <cstring>

namespace quorin::dicom {

namespace {

// The syntaxes the relay accepts: what an archive that accepts
// everything takes, DCMTK's storescp with +xa as the reference (its list of
// all supported syntaxes). Other syntaxes the toolkit knows (retired JPEG
// processes, JPEG Process 14, JPEG 2000 multi-component, JPIP, a GE private
// one) such an archive refuses; accepting one could make a sender convert an
// image that the archive would have taken as it is.
bool IsRelayableTransferSyntax(E_TransferSyntax syntax)
{
    switch (syntax) {
    case EXS_LittleEndianImplicit:
    case EXS_LittleEndianExplicit:
    case EXS_BigEndianExplicit:
    case EXS_DeflatedLittleEndianExplicit:
    case EXS_JPEGProcess1:
    case EXS_JPEGProcess2_4:
    case EXS_JPEGProcess14SV1:
    case EXS_JPEGLSLossless:
    case EXS_JPEGLSLossy:
    case EXS_JPEG2000LosslessOnly:
    case EXS_JPEG2000:
    case EXS_RLELossless:
    case EXS_MPEG2MainProfileAtMainLevel:
    case EXS_MPEG2MainProfileAtHighLevel:
    case EXS_MPEG4HighProfileLevel4_1:
    case EXS_MPEG4BDcompatibleHighProfileLevel4_1:
    case EXS_MPEG4HighProfileLevel4_2_For2DVideo:
    case EXS_MPEG4HighProfileLevel4_2_For3DVideo:
    case EXS_MPEG4StereoHighProfileLevel4_2:
    case EXS_HEVCMainProfileLevel5_1:
    case EXS_HEVCMain10ProfileLevel5_1:
        return true;
    default:
        // Also EXS_Unknown, and the toolkit's virtual Big Endian Implicit,
        // which an empty UID would name.
        return false;
    }
}

void NegotiateContext(T_ASC_Parameters& params, const T_ASC_PresentationContext& context)
{
    if (!IsRelayableAbstractSyntax(context.abstractSyntax)) {
        ASC_refusePresentationContext(&params, context.presentationContextID,
                                      ASC_P_ABSTRACTSYNTAXNOTSUPPORTED);
        return;
    }
    std::vector<const char*> proposed;
    for (int i = 0; i < context.transferSyntaxCount; ++i)
        proposed.push_back(context.proposedTransferSyntaxes[i]);
    const char* chosen = PreferredTransferSyntax(proposed);
    if (chosen)
        ASC_acceptPresentationContext(&params, context.presentationContextID, chosen);
    else
        ASC_refusePresentationContext(&params, context.presentationContextID,
                                      ASC_P_TRANSFERSYNTAXESNOTSUPPORTED);
}

} // namespace

bool IsRelayableAbstractSyntax(const char* abstractSyntax)
{
    if (!abstractSyntax || !*abstractSyntax)
        return false;
    if (std::strcmp(abstractSyntax, UID_VerificationSOPClass) == 0)
        return true;
    if (dcmIsaStorageSOPClassUID(abstractSyntax, ESSC_All))
        return true;
    return dcmFindNameOfUID(abstractSyntax) == nullptr;
}

const char* PreferredTransferSyntax(const std::vector<const char*>& proposed)
{
    std::vector<const char*> candidates; // in the sender's order
    for (const char* uid : proposed) {
        if (uid && IsRelayableTransferSyntax(DcmXfer(uid).getXfer()))
            candidates.push_back(uid);
    }
    const auto offers = [&](auto&& test) {
        return std::any_of(candidates.begin(), candidates.end(), [&](const char* uid) { return test(DcmXfer(uid)); });
    };
    const bool offersLossless = offers([](const DcmXfer& xfer) { return xfer.isLossless(); });
    const bool offersExplicitLittle
        = offers([](const DcmXfer& xfer) { return xfer.getXfer() == EXS_LittleEndianExplicit; });
    for (const char* uid : candidates) {
        const DcmXfer xfer(uid);
        // Never make a sender compress lossily (it may hold the image
        // uncompressed), and never pick the retired Big Endian over its
        // Little Endian twin (as an archive accepting everything would not).
        if ((offersLossless && xfer.isLossy()) || (offersExplicitLittle && xfer.getXfer() == EXS_BigEndianExplicit))
            continue;
        return uid;
    }
    return nullptr;
}

void NegotiateProposedContexts(T_ASC_Parameters& params)
{
    const int count = ASC_countPresentationContexts(&params);
    for (int i = 0; i < count; ++i) {
        T_ASC_PresentationContext context;
        if (ASC_getPresentationContext(&params, i, &context).good())
            NegotiateContext(params, context);
    }
}

} // namespace quorin::dicom
