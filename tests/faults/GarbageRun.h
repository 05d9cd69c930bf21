#pragma once
// Sends garbage (PduGarbage) to a listening port over many short loopback
// connections, bounded in count and in time.

#include "PduGarbage.h"

namespace quorin::test {

struct GarbageFigures {
    int garbagePdus = 0; // written in full
    int connections = 0;
    int cutShort = 0; // connections the relay closed (or never opened) before all was written
    qint64 elapsedMs = 0;
};

// Stops once `pduCount` garbage PDUs went out or `timeLimitMs` passed.
GarbageFigures sendGarbage(quint16 port, PduGarbage& garbage, int pduCount, int timeLimitMs);

} // namespace quorin::test
