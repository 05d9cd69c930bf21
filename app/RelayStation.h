#pragma once
// The relay's state and its one owner: the server object of the current
// start/stop run, whether it listens and on which port, and the operator on
// duty, whose short code the image relay stamps. No widgets: cmdStartStop's
// caption, the lamp picOp and lblOperator follow its signals (app/MainWindowWiring).

#include "dicom/ToolkitServer.h"
#include "operators/RelayControl.h"

#include <QObject>
#include <QString>
#include <memory>

struct RelaySettings;

class RelayStation : public QObject, public RelayControl {
    Q_OBJECT
public:
    // settings: read for LocalPort when relaying stops.
    explicit RelayStation(const RelaySettings& settings, QObject* parent = nullptr);
    ~RelayStation() override;

    // The server object of the current run; null until the first one.
    ToolkitServer* server() const { return m_server.get(); }
    // Every start/stop run begins with a new server object, ServerFlag on.
    // It takes over before the old one is released, so only the current one
    // raises images; the listeners the old one opened close with it, so the
    // relay no longer listens.
    ToolkitServer& replaceServer();

    bool isListening() const { return m_listening; }
    // The port listened on; 0 when not listening.
    qint32 port() const { return m_port; }

    // Opens the listener on port with the current server object (made first
    // if there is none). When that fails the port is closed again, and the
    // relay stays stopped.
    bool startListening(qint32 port);
    // Closes the listener on port; the relay no longer listens.
    void stopListening(qint32 port);

    // The stop request of deleting the operator on duty and of applying the
    // settings: closes every listener of this process (LocalPort may have
    // changed since one was opened) and the one on LocalPort, so the stopped
    // state never shows while a port listens. Without a server object there
    // is nothing to close. Skips LocalPort when it is not a number.
    void stopRelaying() override;

    void setOperatorOnDuty(const QString& shortCode, const QString& displayName) override;
    void clearOperatorOnDuty() override;
    bool hasOperatorOnDuty() const { return m_onDuty; }
    // Empty when nobody is on duty.
    QString operatorShortCode() const { return m_shortCode; }
    QString operatorName() const { return m_operatorName; }

signals:
    void listeningChanged(bool listening);
    void operatorOnDutyChanged();
    // Raised by the current server object for every received image.
    void ImageReceivedAsync(std::shared_ptr<ToolkitConnection> connection, std::shared_ptr<ToolkitImage> image);

private:
    ToolkitServer& currentServer();
    void setListening(bool listening, qint32 port);

    const RelaySettings& m_settings;
    std::unique_ptr<ToolkitServer> m_server;
    bool m_listening = false;
    qint32 m_port = 0;
    bool m_onDuty = false;
    QString m_shortCode;
    QString m_operatorName;
};
