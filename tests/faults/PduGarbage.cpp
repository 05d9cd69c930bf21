#include "PduGarbage.h"

#include "PduBytes.h"

#include <QtEndian>

namespace quorin::test {

PduGarbage::PduGarbage(CapturedExchange model, quint32 seed)
    : m_model(std::move(model))
    , m_random(seed)
{
}

GarbageConnection PduGarbage::nextConnection()
{
    GarbageConnection connection;
    connection.endWithReset = m_random.bounded(4) == 0;
    const int script = m_random.bounded(6);
    // Scripts 2 to 5 open a real association first, so the garbage meets
    // the worker behind the listener; 4 and 5 also send the real command.
    if (script >= 2)
        connection.pdus << m_model.associateRequest;
    if (script >= 4)
        connection.pdus << m_model.commandPdus;
    const int count = 1 + m_random.bounded(script >= 2 ? 2 : 1);
    for (int i = 0; i < count; ++i) {
        switch (script) {
        case 0:
            connection.pdus << (m_random.bounded(2) ? randomBytes(2048) : randomPdu());
            break;
        case 1:
            connection.pdus << mutated(m_model.associateRequest);
            break;
        case 4:
            connection.pdus << mutated(m_model.datasetPdus.value(i, m_model.datasetPdus.first()));
            break;
        default:
            connection.pdus << (m_random.bounded(3) ? mutated(modelPdu()) : randomPdu());
            break;
        }
        ++connection.garbagePdus;
    }
    return connection;
}

QByteArray PduGarbage::randomBytes(int maxBytes)
{
    QByteArray bytes(m_random.bounded(1, maxBytes + 1), Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(m_random.bounded(256));
    return bytes;
}

QByteArray PduGarbage::randomPdu()
{
    // A PDU's layout with anything in it: any type byte, a length that may
    // or may not match the payload.
    const QByteArray payload = randomBytes(1024);
    const quint32 length = m_random.bounded(2) ? quint32(payload.size()) : boundaryValue();
    return pdu::header(quint8(m_random.bounded(256)), length) + payload;
}

QByteArray PduGarbage::modelPdu()
{
    switch (m_random.bounded(4)) {
    case 0:
        return m_model.associateRequest;
    case 1:
        return m_model.commandPdus.first();
    case 2:
        return m_model.datasetPdus.first();
    default:
        return m_model.releaseRequest.isEmpty() ? pdu::abort() : m_model.releaseRequest;
    }
}

QByteArray PduGarbage::mutated(QByteArray pdu)
{
    switch (m_random.bounded(6)) {
    case 0: // flipped bytes anywhere, header included
        for (int flips = 1 + m_random.bounded(16); flips > 0; --flips)
            pdu[m_random.bounded(pdu.size())] = char(m_random.bounded(256));
        return pdu;
    case 1: // the PDU's own length
        return withLengthField(pdu, 2);
    case 2: // an inner length (item, PDV, element): any aligned 4 bytes
        return withLengthField(pdu, pdu::kHeaderBytes + m_random.bounded(qMax<qsizetype>(1, pdu.size() - 10)));
    case 3: // cut short
        return pdu.left(m_random.bounded(pdu.size()));
    case 4: // run long: more bytes than the length says
        return pdu + randomBytes(512);
    default: // another type byte on a real body
        pdu[0] = char(m_random.bounded(256));
        return pdu;
    }
}

QByteArray PduGarbage::withLengthField(QByteArray pdu, qsizetype at)
{
    if (at + 4 > pdu.size())
        return pdu;
    qToBigEndian(boundaryValue(), pdu.data() + at);
    return pdu;
}

quint32 PduGarbage::boundaryValue()
{
    static const quint32 values[] = {0, 1, 2, 3, 4, 5, 6, 0x7F, 0xFF, 0x100, 0xFFFF, 0x10000,
                                     0x7FFFFFFF, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    if (m_random.bounded(4) == 0)
        return m_random.generate();
    return values[m_random.bounded(int(std::size(values)))];
}

} // namespace quorin::test
