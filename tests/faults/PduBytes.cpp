#include "PduBytes.h"

#include <QtEndian>

namespace quorin::test::pdu {

namespace {

quint32 bigEndian32(const char* bytes)
{
    return qFromBigEndian<quint32>(bytes);
}

QByteArray bigEndian32Bytes(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

// Implicit VR little endian: tag (0000,0900), length 2.
const QByteArray kStatusElement = QByteArray::fromHex("0000000902000000");

} // namespace

QByteArray header(quint8 type, quint32 length)
{
    return QByteArray(1, char(type)) + QByteArray(1, '\0') + bigEndian32Bytes(length);
}

quint8 typeOf(const QByteArray& pdu)
{
    return pdu.isEmpty() ? 0 : quint8(pdu[0]);
}

quint32 declaredLength(const QByteArray& pdu)
{
    return pdu.size() < kHeaderBytes ? 0 : bigEndian32(pdu.constData() + 2);
}

QList<QByteArray> split(const QByteArray& stream)
{
    QList<QByteArray> pdus;
    qsizetype at = 0;
    while (stream.size() - at >= kHeaderBytes) {
        const qint64 whole = qint64(kHeaderBytes) + bigEndian32(stream.constData() + at + 2);
        if (stream.size() - at < whole)
            break;
        pdus << stream.mid(at, whole);
        at += whole;
    }
    return pdus;
}

QList<Pdv> pdvs(const QByteArray& pdataPdu)
{
    // Each item: 4-byte length (context id and control header included),
    // context id, control header, fragment.
    QList<Pdv> values;
    qsizetype at = kHeaderBytes;
    while (pdataPdu.size() - at >= 6) {
        const quint32 length = bigEndian32(pdataPdu.constData() + at);
        if (length < 2 || pdataPdu.size() - at - 4 < qint64(length))
            break;
        values << Pdv{quint8(pdataPdu[at + 4]), quint8(pdataPdu[at + 5]), pdataPdu.mid(at + 6, length - 2)};
        at += 4 + qsizetype(length);
    }
    return values;
}

QByteArray pdata(const QList<Pdv>& values)
{
    QByteArray items;
    for (const Pdv& value : values) {
        items += bigEndian32Bytes(quint32(value.data.size() + 2));
        items += char(value.contextId);
        items += char(value.control);
        items += value.data;
    }
    return header(PData, quint32(items.size())) + items;
}

QByteArray abort()
{
    // Reserved, reserved, source 0 (service user), reason 0.
    return header(Abort, 4) + QByteArray(4, '\0');
}

std::optional<quint16> commandStatus(const QByteArray& stream)
{
    QByteArray command;
    for (const QByteArray& pdu : split(stream)) {
        if (typeOf(pdu) != PData)
            continue;
        for (const Pdv& value : pdvs(pdu)) {
            if (value.isCommand())
                command += value.data;
        }
    }
    const qsizetype at = command.indexOf(kStatusElement);
    if (at < 0 || command.size() < at + kStatusElement.size() + 2)
        return std::nullopt;
    return qFromLittleEndian<quint16>(command.constData() + at + kStatusElement.size());
}

} // namespace quorin::test::pdu
