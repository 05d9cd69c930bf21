#pragma once
// The relay as the application runs it, reduced to stamping and forwarding;
// it also measures how long each image occupies this (the GUI) thread.

#include "dicom/ToolkitServer.h"

#include <QElapsedTimer>
#include <algorithm>
#include <memory>

class MinimalRelay : public QObject {
public:
    explicit MinimalRelay(quint16 archivePort, std::optional<ArchiveTls> tls = {})
        : m_archivePort(archivePort)
        , m_tls(std::move(tls))
    {
    }

    bool open(quint16 port, qint64& createMicroseconds, qint64& openMicroseconds)
    {
        QElapsedTimer creating;
        creating.start();
        m_server = std::make_unique<ToolkitServer>(); // the toolkit's one-time setup happens here
        createMicroseconds = creating.nsecsElapsed() / 1000;
        m_server->setServerFlag(true);
        QObject::connect(m_server.get(), &ToolkitServer::ImageReceivedAsync, this,
                         [this](auto, std::shared_ptr<ToolkitImage> image) { handle(*image); });
        QElapsedTimer timer;
        timer.start();
        const bool opened = m_server->OpenListener(port);
        openMicroseconds = timer.nsecsElapsed() / 1000;
        return opened;
    }

    void close(quint16 port) { m_server->CloseListener(port); }

    int accepted() const { return m_accepted; }
    int failed() const { return m_failed; }
    qint64 maxBusyMicroseconds() const { return m_maxBusyNs / 1000; }
    double meanBusyMicroseconds() const { return m_images ? double(m_busyNs) / m_images / 1000.0 : 0; }
    void resetCounts() { m_accepted = m_failed = m_images = 0; m_busyNs = m_maxBusyNs = 0; }

private:
    void handle(ToolkitImage& image)
    {
        QElapsedTimer busy;
        busy.start();
        image.ImageAttributes().PutAttribute(8, 4208, QStringLiteral("AB"));
        const std::optional<ArchiveAddress> archive = ArchiveAddress::of(
            QStringLiteral("127.0.0.1"), m_archivePort, QStringLiteral("QUORIN"), QStringLiteral("ARCHIVE"), m_tls);
        image.ForwardImage(*archive, this, [this](const ForwardResult& result) {
            ++(result.accepted ? m_accepted : m_failed);
        });
        const qint64 ns = busy.nsecsElapsed();
        m_busyNs += ns;
        m_maxBusyNs = std::max(m_maxBusyNs, ns);
        ++m_images;
    }

    std::unique_ptr<ToolkitServer> m_server;
    quint16 m_archivePort;
    std::optional<ArchiveTls> m_tls;
    int m_accepted = 0;
    int m_failed = 0;
    int m_images = 0;
    qint64 m_busyNs = 0;
    qint64 m_maxBusyNs = 0;
};
