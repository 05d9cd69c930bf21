#include "app/ImageRelay.h"

#include "app/RelayStation.h"
#include "dicom/ToolkitImage.h"
#include "settings/DebugLog.h"
#include "settings/NumberText.h"
#include "settings/RelaySettings.h"
#include "ui/MessageBoxes.h"

namespace {

constexpr qint32 OperatorsNameGroup = 0x0008;
constexpr qint32 OperatorsNameElement = 0x1070;
const QString SeparatorLine(49, QLatin1Char('-'));

// Any failure abandons the remaining steps for this image.
struct RelayFailure {};

// The debug test, made afresh at each point: Debugmode read as a number is 1.
// A Debugmode that is not a number fails the image.
bool DebugOn()
{
    const std::optional<bool> on = IsDebugModeOn(RelaySettings().Debugmode);
    if (!on)
        throw RelayFailure{};
    return *on;
}

void DebugLine(const QString& text)
{
    if (!WriteDebugLine(text))
        throw RelayFailure{};
}

qint32 ArchivePortNumber()
{
    const std::optional<qint32> port = ToInt32(RelaySettings().ArchivePort);
    if (!port)
        throw RelayFailure{};
    return *port;
}

} // namespace

ImageRelay::ImageRelay(const RelayStation& station, MessageBoxes& boxes, QObject* parent)
    : QObject(parent), m_station(station), m_boxes(boxes)
{
}

void ImageRelay::onImageReceived(std::shared_ptr<ToolkitConnection> connection,
                                 std::shared_ptr<ToolkitImage> image)
{
    Q_UNUSED(connection); // held by the event for the duration of the handler
    if (!image)
        return;
    bool failed = false;
    try {
        stampAndForward(*image);
    } catch (const RelayFailure&) {
        failed = true;
    } catch (const std::exception&) {
        failed = true;
    }
    // The message box waits until this handler has returned and the event
    // that delivered the image has let go of it: an image released without a
    // forward answers its sender with a failure status at once, not only when
    // the user closes the box.
    if (failed)
        QMetaObject::invokeMethod(this, &ImageRelay::showTransferFailure, Qt::QueuedConnection);
}

void ImageRelay::stampAndForward(ToolkitImage& image)
{
    if (DebugOn())
        DebugLine(QStringLiteral("Change Attribut (Images: ") + image.ImageText()
                  + QStringLiteral(" | New Attribut: ") + m_station.operatorShortCode() + QStringLiteral(")"));

    image.ImageAttributes().PutAttribute(OperatorsNameGroup, OperatorsNameElement, m_station.operatorShortCode());

    const RelaySettingsValues& settings = RelaySettings();
    if (DebugOn())
        DebugLine(QStringLiteral("Send to ") + settings.ArchiveAET + QStringLiteral(" - ")
                  + settings.ArchiveIP + QStringLiteral(" - ") + QString::number(ArchivePortNumber()));

    image.ForwardImage(settings.ArchiveIP, ArchivePortNumber(), settings.LocalAET, settings.ArchiveAET,
                       this, [this](const ForwardResult& result) { onForwarded(result); });
}

void ImageRelay::onForwarded(const ForwardResult& result)
{
    try {
        if (!result.accepted)
            throw RelayFailure{};
        if (DebugOn())
            DebugLine(SeparatorLine);
    } catch (const RelayFailure&) {
        showTransferFailure();
    }
}

void ImageRelay::showTransferFailure()
{
    // One transfer message on screen at a time: a failing archive during a
    // large study must not bury the station under one box per image. The
    // senders of the images still get their failure status.
    if (m_transferMessageOpen)
        return;
    m_transferMessageOpen = true;
    m_boxes.show(QStringLiteral("Quorin Relay: Fehler"),
                 QStringLiteral("Es ist ein Fehler bei der Übertragung aufgetreten."), MessageIcon::Error);
    m_transferMessageOpen = false;
}
