#include "dicom/ToolkitServer.h"

#include "dicom/internal/ToolkitSetup.h"
#include "dicom/internal/server/ListenerRegistry.h"

using quorin::dicom::ListenerRegistry;

ToolkitServer::ToolkitServer(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<std::shared_ptr<ToolkitConnection>>();
    qRegisterMetaType<std::shared_ptr<ToolkitImage>>();
    quorin::dicom::EnsureToolkitReady();
}

ToolkitServer::~ToolkitServer()
{
    // Before the object is gone: no worker may queue an image to it later.
    ListenerRegistry::instance().closeOwnedBy(this);
}

void ToolkitServer::setServerFlag(bool on)
{
    m_serverFlag = on;
}

bool ToolkitServer::serverFlag() const
{
    return m_serverFlag;
}

bool ToolkitServer::OpenListener(qint32 port)
{
    return ListenerRegistry::instance().open(port, this);
}

void ToolkitServer::CloseListener(qint32 port)
{
    ListenerRegistry::instance().close(port);
}

void ToolkitServer::shutDown()
{
    ListenerRegistry::instance().shutdown();
}

QList<qint32> ToolkitServer::listeningPorts()
{
    QList<qint32> ports;
    for (const int port : ListenerRegistry::instance().ports())
        ports.append(port);
    return ports;
}
