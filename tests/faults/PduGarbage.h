#pragma once

#include "RawSender.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

namespace quorin::test {

// Garbage for the relay's listening port, made from a real exchange: random
// bytes, and the real association request,
// command and data set with bytes flipped, length fields changed, cut short
// or run long. Each connection sends one or two of them, alone or behind a
// valid association request (and command), so that the garbage reaches the
// worker's command and data set handling too; a quarter end with a reset,
// the others with a FIN, after which the relay must close its side.
// Deterministic for a seed.
struct PduGarbage {
    CapturedExchange model;
    QRandomGenerator random;
    bool resetsAfterRequest = false; // instead: the real association request alone, then a reset
    int garbagePdus = 0; // written in full
    int leftOpen = 0; // connections ended with a FIN that the relay did not close within 2 s

    // Until `pduCount` more garbage PDUs went out or `timeLimitMs` passed.
    void send(quint16 port, int pduCount, int timeLimitMs)
    {
        QElapsedTimer clock;
        clock.start();
        for (const int end = garbagePdus + pduCount; garbagePdus < end && clock.elapsed() < timeLimitMs;) {
            // Alone, behind a valid association request, or behind that and
            // the command (and then mostly the data set, mutated).
            const int validPdus = resetsAfterRequest ? 0 : random.bounded(3);
            QList<QByteArray> pdus = QList<QByteArray>{model.associateRequest, model.commandPdus.first()}.mid(0, validPdus);
            const QByteArray models[] = {model.associateRequest, model.commandPdus.first(), model.datasetPdus.first(),
                                         model.releaseRequest};
            if (resetsAfterRequest)
                pdus << model.associateRequest;
            for (int i = resetsAfterRequest ? 0 : 1 + random.bounded(validPdus > 0 ? 2 : 1); i > 0; --i) {
                const int from = validPdus == 2 ? 2 : validPdus == 0 ? 0 : random.bounded(4);
                pdus << (random.bounded(3) == 0 ? randomBytes(2048) : mutated(models[from]));
            }
            const bool endWithReset = resetsAfterRequest || random.bounded(4) == 0;
            RawConnection connection;
            int sent = 0; // the relay may close on the first bad PDU: the rest is not sent
            if (connection.open(port)) {
                while (sent < pdus.size() && connection.send(pdus[sent], 1000))
                    ++sent;
            }
            if (endWithReset)
                connection.reset();
            else
                leftOpen += !connection.finish(2000);
            garbagePdus += std::max(0, sent - validPdus);
        }
    }

    QByteArray randomBytes(int maxBytes)
    {
        QByteArray bytes(random.bounded(1, maxBytes + 1), Qt::Uninitialized);
        for (char& byte : bytes)
            byte = char(random.bounded(256));
        return bytes;
    }

    QByteArray mutated(QByteArray bytes)
    {
        // A length: the PDU's own, or an inner one (item, value, element) anywhere.
        const qsizetype lengthAt = random.bounded(2) ? 2 : 6 + random.bounded(qMax<qsizetype>(1, bytes.size() - 10));
        switch (random.bounded(5)) {
        case 0: // another type byte (any PDU type) on a real body
            bytes[0] = char(random.bounded(256));
            [[fallthrough]];
        case 1: // flipped bytes anywhere
            for (int flips = 1 + random.bounded(16); flips > 0; --flips)
                bytes[random.bounded(bytes.size())] = char(random.bounded(256));
            return bytes;
        case 2:
            if (lengthAt + 4 <= bytes.size())
                qToBigEndian(boundaryValue(), bytes.data() + lengthAt);
            return bytes;
        case 3: // cut short
            return bytes.left(random.bounded(bytes.size()));
        default: // run long: more bytes than the length says
            return bytes + randomBytes(512);
        }
    }

    quint32 boundaryValue()
    {
        static const quint32 values[] = {0, 1, 2, 3, 4, 5, 6, 0x7F, 0xFF, 0x100, 0xFFFF, 0x10000,
                                         0x7FFFFFFF, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
        return random.bounded(4) == 0 ? random.generate() : values[random.bounded(int(std::size(values)))];
    }
};

} // namespace quorin::test
