#include "GarbageRun.h"

#include "RawConnection.h"

#include <QElapsedTimer>

#include <algorithm>

namespace quorin::test {

namespace {

// Sends one connection's script; returns how many of its PDUs went out in
// full (the relay may close on the first bad one: the rest is not sent).
int sendOne(quint16 port, const GarbageConnection& script)
{
    RawConnection connection;
    if (!connection.open(port))
        return 0;
    int sent = 0;
    for (const QByteArray& bytes : script.pdus) {
        if (!connection.send(bytes, 1000))
            break;
        ++sent;
    }
    if (script.endWithReset)
        connection.reset();
    else
        connection.close();
    return sent;
}

} // namespace

GarbageFigures sendGarbage(quint16 port, PduGarbage& garbage, int pduCount, int timeLimitMs)
{
    GarbageFigures figures;
    QElapsedTimer clock;
    clock.start();
    while (figures.garbagePdus < pduCount && clock.elapsed() < timeLimitMs) {
        const GarbageConnection script = garbage.nextConnection();
        const int sent = sendOne(port, script);
        // The garbage comes after the script's valid PDUs.
        const int garbageSent = std::max(0, sent - int(script.pdus.size() - script.garbagePdus));
        if (garbageSent < script.garbagePdus)
            ++figures.cutShort;
        figures.garbagePdus += garbageSent;
        ++figures.connections;
    }
    figures.elapsedMs = clock.elapsed();
    return figures;
}

} // namespace quorin::test
