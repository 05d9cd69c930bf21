#pragma once
// The byte layout of the PDUs on a DICOM connection, for test code that
// plays a misbehaving sender or an attacker: splitting a captured stream,
// taking P-DATA apart, building P-DATA and A-ABORT, reading a response's
// status. The relay itself leaves all of this to the toolkit.

#include <QByteArray>
#include <QList>
#include <optional>

namespace quorin::test::pdu {

enum Type : quint8 {
    AssociateRq = 0x01,
    AssociateAc = 0x02,
    AssociateRj = 0x03,
    PData = 0x04,
    ReleaseRq = 0x05,
    ReleaseRp = 0x06,
    Abort = 0x07,
};

// Type, reserved byte, 4-byte big-endian length of what follows.
inline constexpr int kHeaderBytes = 6;

// One presentation data value of a P-DATA-TF PDU.
struct Pdv {
    quint8 contextId = 0;
    quint8 control = 0; // bit 0: command (else data set), bit 1: last fragment
    QByteArray data;

    bool isCommand() const { return control & 0x01; }
    bool isLast() const { return control & 0x02; }
};

QByteArray header(quint8 type, quint32 length);
quint8 typeOf(const QByteArray& pdu);
// The length its header declares (0 for fewer than 6 bytes).
quint32 declaredLength(const QByteArray& pdu);

// The whole PDUs (headers included) at the start of `stream`; an
// incomplete last one is left out.
QList<QByteArray> split(const QByteArray& stream);

QList<Pdv> pdvs(const QByteArray& pdataPdu);
QByteArray pdata(const QList<Pdv>& values);
QByteArray abort();

// The Status (0000,0900) of the first command in the P-DATA of `stream`
// (implicit VR little endian, as every command is), if there is one.
std::optional<quint16> commandStatus(const QByteArray& stream);

} // namespace quorin::test::pdu
