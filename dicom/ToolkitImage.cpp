#include "dicom/ToolkitImage.h"

#include "dicom/internal/DecisionHandOff.h"
#include "dicom/internal/DimseStatus.h"
#include "dicom/internal/ForwardResultCourier.h"

ToolkitImage::ToolkitImage(std::shared_ptr<ToolkitImageChannel> channel)
    : m_channel(std::move(channel))
{
}

ToolkitImage::~ToolkitImage()
{
    if (!m_forwarded && m_channel)
        m_channel->release();
}

void ToolkitImage::ReleaseImage()
{
    if (!m_forwarded && m_channel)
        m_channel->release();
}

QString ToolkitImage::ImageText() const
{
    return m_channel ? m_channel->sopInstanceUid() : QString();
}

ToolkitAttributeSet& ToolkitImage::ImageAttributes()
{
    return m_attributes;
}

void ToolkitImage::ForwardImage(const QString& archiveIP, qint32 archivePort,
                                const QString& localAET, const QString& archiveAET,
                                QObject* context, std::function<void(const ForwardResult&)> done)
{
    auto report = ForwardResultCourier::connect(context, std::move(done));
    if (m_forwarded || !m_channel) {
        report(quorin::dicom::relayFailure(QStringLiteral("the image was already forwarded")));
        return;
    }
    m_forwarded = true;
    ForwardRequest request{archiveIP, archivePort, localAET, archiveAET,
                           m_attributes.changes(), report};
    if (!m_channel->submitForward(std::move(request)))
        report(quorin::dicom::relayFailure(QStringLiteral("the image is no longer waiting (relay stopped or timed out)")));
}
