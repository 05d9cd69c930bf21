#pragma once
// The tools a test starts must not inherit the test process's sockets. The
// toolkit opens its sockets without close-on-exec, so a tool started while
// the relay in the test process holds an archive association keeps that
// connection open after the relay has released it. storescp waits for that
// close before it accepts its next association, so the relay's next
// association, and with it the tool's own image, waited for the tool:
// 30 s until the relay gave up, about once in twenty runs.

class QProcess;

namespace quorin::test {

// Every descriptor above stderr is closed in `process`'s child when it runs
// its program. Call before starting it; does nothing where processes do not
// inherit descriptors this way.
void keepDescriptorsFromChild(QProcess& process);

} // namespace quorin::test
