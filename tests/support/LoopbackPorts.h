#pragma once
#include <QtGlobal>

namespace quorin::test {

// A TCP port nothing listens on right now and not handed out before in this
// process, so parallel peers never collide; 0 when none was found.
quint16 freeLoopbackPort();

// Whether a program could listen on `port` (all interfaces) right now.
bool portIsFree(quint16 port);

} // namespace quorin::test
