#pragma once
#include <QtGlobal>

namespace quorin::test {

// A TCP port nothing listens on right now (checked on all interfaces) and
// not handed out before in this process, so parallel peers never collide.
// 0 when none was found.
quint16 freeLoopbackPort();

} // namespace quorin::test
