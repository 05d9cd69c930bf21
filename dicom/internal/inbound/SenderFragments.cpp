#include "dicom/internal/inbound/SenderFragments.h"

#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/TimeLimits.h"

#include <dcmtk/dcmnet/dimse.h>

namespace quorin::dicom {

SenderFragments::SenderFragments(T_ASC_Association* association, T_ASC_PresentationContextID contextId)
    : m_association(association)
    , m_contextId(contextId)
{
}

OFCondition SenderFragments::next(DUL_PDV& fragment)
{
    if (m_finished)
        return DIMSE_BADDATA;
    const OFCondition read = readFragment(fragment);
    if (read.bad())
        return read;
    if (fragment.pdvType != DUL_DATASETPDV || fragment.presentationContextID != m_contextId
        || fragment.fragmentLength % 2 != 0)
        return DIMSE_BADDATA;
    m_finished = fragment.lastPDV;
    if (m_finished)
        MarkTimeline(TimelineStage::LastByteIn);
    count(fragment);
    return EC_Normal;
}

void SenderFragments::count(const DUL_PDV& fragment)
{
    if (!m_counting) {
        m_counting = true;
        return;
    }
    ++m_pace.fragments;
    m_pace.bytes += fragment.fragmentLength;
}

// The fragments of a P-DATA already read come first; then the next P-DATA
// is awaited, at most as long as a sender may stay silent.
OFCondition SenderFragments::readFragment(DUL_PDV& fragment)
{
    if (DUL_NextPDV(&m_association->DULassociation, &fragment).good())
        return EC_Normal;
    const Clock::time_point asked = Clock::now();
    if (!ASC_dataWaiting(m_association, kSenderIdleTimeoutSeconds))
        return DIMSE_NODATAAVAILABLE;
    const OFCondition arrived = DUL_ReadPDVs(&m_association->DULassociation, nullptr, DUL_NOBLOCK,
                                             kSenderIdleTimeoutSeconds);
    if (arrived != DUL_PDATAPDUARRIVED)
        return arrived.bad() ? arrived : DIMSE_READPDVFAILED;
    if (m_counting)
        m_pace.waited += Clock::now() - asked;
    return DUL_NextPDV(&m_association->DULassociation, &fragment);
}

OFCondition SenderFragments::discardRest()
{
    DUL_PDV fragment;
    while (!m_finished) {
        const OFCondition read = next(fragment);
        if (read.bad())
            return read;
    }
    return EC_Normal;
}

} // namespace quorin::dicom
