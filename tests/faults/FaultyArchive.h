#pragma once
// Archives that fail the ways real ones do, beside StorescpArchive paused,
// killed, refusing or without its folder: SilentPeer accepts connections and
// never answers. And what every storescu run against them is judged by.

#include <QStringList>
#include <QTcpServer>

namespace quorin::test {

struct SilentPeer : QTcpServer {
    SilentPeer();
    int connections = 0;
};

// The answers in storescu -v's output, such as "Success".
QStringList StoreResponses(const QString& storescuOutput);
// The one thing a relay must never do: tell a sender an image was stored
// that the archive lacks. `storescuOutput` is storescu -v's for `files`, sent
// in this order on one association; returns how many of the images it was
// told were stored (success or warning) are not whole in `archiveFolder`.
int AcknowledgedButMissing(const QStringList& files, const QString& storescuOutput, const QString& archiveFolder);

} // namespace quorin::test
