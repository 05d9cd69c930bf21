#include "dicom/ToolkitImage.h"

#include "dicom/ResultHandOff.h"
#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/server/DecisionHandOff.h"

using quorin::dicom::DecisionHandOff;
using quorin::dicom::ForwardRequest;
using quorin::dicom::ResultHandOff;

ToolkitImage::ToolkitImage(std::shared_ptr<DecisionHandOff> decision)
    : m_decision(std::move(decision))
{
}

ToolkitImage::~ToolkitImage()
{
    if (!m_forwarded && m_decision)
        m_decision->release();
}

void ToolkitImage::releaseImage()
{
    if (!m_forwarded && m_decision)
        m_decision->release();
}

QString ToolkitImage::ImageText() const
{
    return m_decision ? m_decision->sopInstanceUid() : QString();
}

ToolkitAttributeSet& ToolkitImage::ImageAttributes()
{
    return m_attributes;
}

void ToolkitImage::ForwardImage(const ArchiveAddress& archive, QObject* context,
                                std::function<void(const ForwardResult&)> done)
{
    auto report = ResultHandOff::connect(context, std::move(done));
    if (m_forwarded || !m_decision) {
        report(quorin::dicom::RelayFailure(QStringLiteral("the image was already forwarded")));
        return;
    }
    m_forwarded = true;
    ForwardRequest request{archive, m_attributes.changes(), report};
    if (!m_decision->submitForward(std::move(request)))
        report(quorin::dicom::RelayFailure(QStringLiteral("the image is no longer waiting (relay stopped or timed out)")));
}
