#pragma once
// The image relay: the handler of ImageReceivedAsync. Stamps each received
// image with the short code of the operator on duty (asked of the relay
// station at the image's own moment) in Operators' Name (0008,1070) and
// forwards it to the archive. The send runs off the GUI thread; its outcome
// comes back here.

#include <QObject>
#include <memory>

class MessageBoxes;
class RelayStation;
class ToolkitImage;
struct ForwardResult;
struct RelaySettings;
struct ToolkitConnection;

class ImageRelay : public QObject {
    Q_OBJECT
public:
    // settings: the archive and Debugmode, read at each image.
    ImageRelay(const RelayStation& station, const RelaySettings& settings, MessageBoxes& boxes,
               QObject* parent = nullptr);

    void onImageReceived(std::shared_ptr<ToolkitConnection> connection,
                         std::shared_ptr<ToolkitImage> image);

private:
    // False when a step failed: the image is not forwarded.
    bool stampAndForward(ToolkitImage& image);
    void onForwarded(const ForwardResult& result);
    void showTransferFailure();

    const RelayStation& m_station;
    const RelaySettings& m_settings;
    MessageBoxes& m_boxes;
    bool m_transferMessageOpen = false;
};
