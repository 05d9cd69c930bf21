#include "CapturedExchange.h"

#include "DicomTools.h"
#include "PduBytes.h"
#include "LoopbackProxy.h"

namespace quorin::test {

namespace {

void sortPdu(CapturedExchange& exchange, const QByteArray& pdu)
{
    switch (pdu::typeOf(pdu)) {
    case pdu::AssociateRq:
        exchange.associateRequest = pdu;
        break;
    case pdu::PData: {
        const QList<pdu::Pdv> values = pdu::pdvs(pdu);
        if (!values.isEmpty() && values.first().isCommand())
            exchange.commandPdus << pdu;
        else
            exchange.datasetPdus << pdu;
        break;
    }
    case pdu::ReleaseRq:
        exchange.releaseRequest = pdu;
        break;
    default:
        break;
    }
}

} // namespace

quint8 CapturedExchange::contextId() const
{
    const QList<pdu::Pdv> values = datasetPdus.isEmpty() ? QList<pdu::Pdv>() : pdu::pdvs(datasetPdus.first());
    return values.isEmpty() ? 0 : values.first().contextId;
}

QByteArray CapturedExchange::dataset() const
{
    QByteArray bytes;
    for (const QByteArray& pdu : datasetPdus) {
        for (const pdu::Pdv& value : pdu::pdvs(pdu))
            bytes += value.data;
    }
    return bytes;
}

CapturedExchange captureExchange(quint16 relayPort, const QString& imageFile)
{
    LoopbackProxy proxy(relayPort);
    if (!proxy.listen())
        return {};
    if (!storescu(proxy.port(), {imageFile}).succeeded())
        return {};
    CapturedExchange exchange;
    for (const QByteArray& pdu : pdu::split(proxy.clientBytes()))
        sortPdu(exchange, pdu);
    return exchange;
}

QList<QByteArray> datasetPdus(const QByteArray& dataset, quint8 contextId, int fragmentBytes)
{
    QList<QByteArray> pdus;
    for (qsizetype at = 0; at < dataset.size(); at += fragmentBytes) {
        const bool last = at + fragmentBytes >= dataset.size();
        pdus << pdu::pdata({pdu::Pdv{contextId, quint8(last ? 0x02 : 0x00), dataset.mid(at, fragmentBytes)}});
    }
    return pdus;
}

} // namespace quorin::test
