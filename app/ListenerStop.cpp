#include "app/ListenerStop.h"

#include "dicom/ToolkitServer.h"
#include "settings/NumberText.h"
#include "settings/RelaySettings.h"

void StopListeners(ToolkitServer* server)
{
    if (!server)
        return;
    for (const qint32 port : ToolkitServer::ListeningPorts())
        server->CloseListener(port);
    if (const std::optional<qint32> port = ToInt32(RelaySettings().LocalPort))
        server->CloseListener(*port);
}
