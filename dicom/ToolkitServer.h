#pragma once
// The DICOM server object: listens on a port, accepts images from any sender
// and raises ImageReceivedAsync once per received image on the thread that
// owns it (the GUI thread). Listeners are process-wide per port: CloseListener
// closes the listener on that port whichever server object opened it.

#include "dicom/ToolkitConnection.h"
#include "dicom/ToolkitImage.h"

#include <QList>
#include <QObject>
#include <memory>

class ToolkitServer : public QObject {
    Q_OBJECT
public:
    explicit ToolkitServer(QObject* parent = nullptr);
    // Closes the listeners that raise their images on this object: those it
    // opened, and those handed to it since (see OpenListener).
    ~ToolkitServer() override;

    // ServerFlag: true = received images are raised as events for relaying;
    // false = the server refuses images (failure status to the sender).
    // Off until set.
    void setServerFlag(bool on);
    bool serverFlag() const;

    // True once associations are accepted on the port (all interfaces);
    // false when the port cannot be opened (in use, out of range, no right).
    // A port this process already listens on stays open and raises its
    // images on this object from then on.
    bool OpenListener(qint32 port);

    // Stops accepting at once; the port is free when this returns. Closing a
    // port that is not open does nothing.
    void CloseListener(qint32 port);

    // The ports on which a listener of this process is open right now.
    static QList<qint32> listeningPorts();

    // The end of the program's DICOM work, after its event loop: closes
    // every listener, aborts the associations still running, the senders'
    // and the archive's (a sender is never told "stored" for an image cut
    // off), and waits for their threads, so none is left to run into the
    // process's exit. No listener opens afterwards.
    static void shutDown();

signals:
    void ImageReceivedAsync(std::shared_ptr<ToolkitConnection> connection,
                            std::shared_ptr<ToolkitImage> image);

private:
    bool m_serverFlag = false;
};

Q_DECLARE_METATYPE(std::shared_ptr<ToolkitConnection>)
Q_DECLARE_METATYPE(std::shared_ptr<ToolkitImage>)
