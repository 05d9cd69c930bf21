#pragma once
// Each image's time as its sender saw it: storescu logs, with a time stamp
// to the microsecond, when it sends a store request and when the answer
// came; the same on both paths, so image i's times can be compared.

#include <QList>
#include <QStringList>

// storescu's arguments for that log (a configuration file written to `folder`).
QStringList SenderLogArguments(const QString& folder);

// The largest PDU the peer let the sender send (its largest fragment plus
// the fragment's header), or 0.
int AcceptedPduBytes(const QString& senderOutput);

// Microseconds from each request to its answer, in the order sent; an image
// without an answer ends the list.
QList<qint64> ImageMicroseconds(const QString& senderOutput);
