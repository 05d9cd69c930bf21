#include "app/ImageRelay.h"

#include "app/ArchiveSetting.h"
#include "app/RelayStation.h"
#include "dicom/ToolkitImage.h"
#include "settings/DebugLog.h"
#include "settings/NumberText.h"
#include "settings/RelaySettings.h"
#include "ui/MessageBoxes.h"

namespace {

constexpr qint32 kOperatorsNameGroup = 0x0008;
constexpr qint32 kOperatorsNameElement = 0x1070;
const QString kSeparatorLine(49, QLatin1Char('-'));

// The debug test, made afresh at each step: Debugmode read as a number is 1,
// and only then is the step's line written. False when Debugmode is not a
// number or the line could not be written: either fails the image.
template <class LineText>
bool LogStep(const RelaySettings& settings, LineText line)
{
    const std::optional<bool> on = IsDebugModeOn(settings.Debugmode);
    return on && (!*on || WriteDebugLine(line()));
}

// Line A: the image and the short code it gets.
QString ChangeLine(const QString& imageText, const QString& shortCode)
{
    return QStringLiteral("Change Attribut (Images: ") + imageText + QStringLiteral(" | New Attribut: ") + shortCode
           + QStringLiteral(")");
}

// Line B: where the image goes.
QString SendLine(const RelaySettings& settings, qint32 archivePort)
{
    return QStringLiteral("Send to ") + settings.ArchiveAET + QStringLiteral(" - ") + settings.ArchiveIP
           + QStringLiteral(" - ") + QString::number(archivePort);
}

} // namespace

ImageRelay::ImageRelay(const RelayStation& station, const RelaySettings& settings, MessageBoxes& boxes,
                       QObject* parent)
    : QObject(parent), m_station(station), m_settings(settings), m_boxes(boxes)
{
}

void ImageRelay::onImageReceived(std::shared_ptr<ToolkitConnection> connection,
                                 std::shared_ptr<ToolkitImage> image)
{
    Q_UNUSED(connection); // held by the event for the duration of the handler
    if (!image)
        return;
    bool forwarded = false;
    try {
        forwarded = stampAndForward(*image);
    } catch (const std::exception&) {
        // Nothing may escape into the event loop; the image counts as failed.
    }
    // The message box waits until this handler has returned and the event
    // that delivered the image has let go of it: an image released without a
    // forward answers its sender with a failure status at once, not only when
    // the user closes the box.
    if (!forwarded)
        QMetaObject::invokeMethod(this, &ImageRelay::showTransferFailure, Qt::QueuedConnection);
}

bool ImageRelay::stampAndForward(ToolkitImage& image)
{
    const QString shortCode = m_station.operatorShortCode();
    if (!LogStep(m_settings, [&] { return ChangeLine(image.ImageText(), shortCode); }))
        return false;

    image.ImageAttributes().PutAttribute(kOperatorsNameGroup, kOperatorsNameElement, shortCode);

    const std::optional<ArchiveSetting> archive = ReadArchiveSetting(m_settings);
    if (!archive || !LogStep(m_settings, [&] { return SendLine(m_settings, archive->portNumber); }))
        return false;
    // No host named, or a port no archive can have: the transfer fails, as
    // one to an archive that is down would, and the sender hears so.
    if (!archive->address)
        return false;

    image.ForwardImage(*archive->address, this, [this](const ForwardResult& result) { onForwarded(result); });
    return true;
}

void ImageRelay::onForwarded(const ForwardResult& result)
{
    if (!result.accepted || !LogStep(m_settings, [] { return kSeparatorLine; }))
        showTransferFailure();
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
