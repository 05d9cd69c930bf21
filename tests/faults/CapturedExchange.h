#pragma once
// A real sender's side of one valid exchange with the relay: storescu sends
// one image through a LoopbackProxy, and its PDUs are sorted by role. The
// material from which misbehaving senders and garbage are made.

#include <QByteArray>
#include <QList>
#include <QString>

namespace quorin::test {

struct CapturedExchange {
    QByteArray associateRequest;
    QList<QByteArray> commandPdus; // the C-STORE request's command
    QList<QByteArray> datasetPdus; // the image, in order
    QByteArray releaseRequest;

    bool isValid() const { return !associateRequest.isEmpty() && !commandPdus.isEmpty() && !datasetPdus.isEmpty(); }
    // The presentation context the image travelled on.
    quint8 contextId() const;
    // The image's data set, out of its fragments.
    QByteArray dataset() const;
};

// Sends `imageFile` with storescu to the relay at `relayPort` (which must be
// relaying, so the exchange completes) and returns what storescu sent;
// invalid when the send failed.
CapturedExchange captureExchange(quint16 relayPort, const QString& imageFile);

// P-DATA PDUs that carry `dataset` on `contextId`, its last fragment marked
// last, in fragments of at most `fragmentBytes`.
QList<QByteArray> datasetPdus(const QByteArray& dataset, quint8 contextId, int fragmentBytes = 16384);

} // namespace quorin::test
