#pragma once
// Garbage for the relay's listening port, made from a real exchange (see
// CapturedExchange): random bytes, PDUs of random type and length, and the
// real association request and P-DATA with bytes flipped, length fields
// changed, cut short or run long. Each connection is a script of one to
// three PDUs, often a valid association request first so that the garbage
// reaches the worker's command and data set handling too. Deterministic for
// a seed. Test-only attacker code.

#include "CapturedExchange.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

namespace quorin::test {

struct GarbageConnection {
    QList<QByteArray> pdus;
    int garbagePdus = 0; // of pdus, the random or mutated ones
    bool endWithReset = false; // else a FIN
};

class PduGarbage {
public:
    PduGarbage(CapturedExchange model, quint32 seed);

    GarbageConnection nextConnection();

private:
    QByteArray randomBytes(int maxBytes);
    QByteArray randomPdu();
    QByteArray mutated(QByteArray pdu);
    QByteArray withLengthField(QByteArray pdu, qsizetype at);
    QByteArray modelPdu();
    quint32 boundaryValue();

    CapturedExchange m_model;
    QRandomGenerator m_random;
};

} // namespace quorin::test
