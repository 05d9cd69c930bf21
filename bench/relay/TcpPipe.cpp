#include "TcpPipe.h"

#ifdef __linux__
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in Loopback(quint16 port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void NoDelay(int socket)
{
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
}

// Until either end closes; then the other end hears it.
void Copy(int from, int to)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::recv(from, buffer, sizeof(buffer), 0);
        if (got <= 0)
            break;
        for (ssize_t sent = 0; sent < got;) {
            const ssize_t now = ::send(to, buffer + sent, size_t(got - sent), MSG_NOSIGNAL);
            if (now <= 0) {
                ::shutdown(from, SHUT_RDWR);
                return;
            }
            sent += now;
        }
    }
    ::shutdown(to, SHUT_WR);
}

} // namespace

TcpPipe::TcpPipe(quint16 archivePort)
    : m_archivePort(archivePort)
{
}

TcpPipe::~TcpPipe()
{
    if (m_listener >= 0)
        ::shutdown(m_listener, SHUT_RDWR);
    {
        std::lock_guard lock(m_mutex);
        for (int socket : m_sockets)
            ::shutdown(socket, SHUT_RDWR);
    }
    if (m_acceptor.joinable())
        m_acceptor.join();
    for (std::thread& copier : m_copiers)
        copier.join();
    for (int socket : m_sockets)
        ::close(socket);
    if (m_listener >= 0)
        ::close(m_listener);
}

bool TcpPipe::open(quint16 port)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    const sockaddr_in address = Loopback(port);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0
        || ::listen(m_listener, 8) != 0)
        return false;
    m_acceptor = std::thread([this] { accept(); });
    return true;
}

void TcpPipe::accept()
{
    for (;;) {
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0)
            return; // shut down
        serve(client);
    }
}

void TcpPipe::serve(int client)
{
    const int archive = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(m_archivePort);
    std::lock_guard lock(m_mutex);
    m_sockets.push_back(client);
    m_sockets.push_back(archive);
    if (archive < 0 || ::connect(archive, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::shutdown(client, SHUT_RDWR);
        return;
    }
    NoDelay(client);
    NoDelay(archive);
    m_copiers.emplace_back(Copy, client, archive);
    m_copiers.emplace_back(Copy, archive, client);
}
#else
TcpPipe::TcpPipe(quint16 archivePort)
    : m_archivePort(archivePort)
{
}
TcpPipe::~TcpPipe() = default;
bool TcpPipe::open(quint16) { return false; }
#endif
