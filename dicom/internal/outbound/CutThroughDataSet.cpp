#include "dicom/internal/outbound/CutThroughDataSet.h"

#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/inbound/DataSetHead.h"
#include "dicom/internal/inbound/SenderFragments.h"

#include <dcmtk/dcmdata/dcostrma.h>
#include <dcmtk/dcmnet/dul.h>

#include <algorithm>

namespace quorin::dicom {

CutThroughDataSet::CutThroughDataSet(std::vector<char> stampedHead, DataSetHead& head, SenderFragments& fragments)
    : m_stampedHead(std::move(stampedHead))
    , m_head(head)
    , m_fragments(fragments)
{
    restart();
}

void CutThroughDataSet::restart()
{
    m_pieceIndex = 0;
    m_piece = m_stampedHead.data();
    m_pieceLeft = m_stampedHead.size();
    m_pieceIsLast = m_fragments.finished() && m_head.bytes().size() == m_head.headSize();
    m_bufferSize = -1;
}

void CutThroughDataSet::sendOn(T_ASC_Association* archive, T_ASC_PresentationContextID contextId)
{
    m_archive = archive;
    m_contextId = contextId;
}

// The toolkit calls this until it returns EC_Normal, sending a P-DATA after
// each EC_StreamNotifyClient (its buffer is full) and the last one, marked
// last, after EC_Normal. So EC_Normal comes only with the final bytes in the
// buffer, and a piece is only fetched while there is room for it.
OFCondition CutThroughDataSet::write(DcmOutputStream& outStream, const E_TransferSyntax, const E_EncodingType,
                                      DcmWriteCache*, const E_GrpLenEncoding, const E_PaddingEncoding,
                                      const Uint32, const Uint32, Uint32)
{
    m_lastProgress = std::chrono::steady_clock::now();
    if (m_bufferSize < 0)
        m_bufferSize = outStream.avail();
    for (;;) {
        if (m_pieceLeft == 0) {
            if (nextPiece())
                continue;
            if (m_failure != Failure::None)
                return EC_InvalidStream;
            MarkTimeline(TimelineStage::LastByteOut);
            return EC_Normal;
        }
        if (!m_pieceIsLast && m_archive && outStream.avail() == m_bufferSize) {
            if (!writeDirectly())
                return EC_InvalidStream;
            continue;
        }
        const std::size_t room = std::size_t(outStream.avail()) & ~std::size_t(1); // fragments stay even
        if (room == 0)
            return EC_StreamNotifyClient;
        const std::size_t step = std::min(room, m_pieceLeft);
        const offile_off_t written = outStream.write(m_piece, offile_off_t(step));
        if (written <= 0)
            return EC_InvalidStream;
        m_piece += written;
        m_pieceLeft -= std::size_t(written);
    }
}

// False at the end of the data set, or on a failure (then set).
bool CutThroughDataSet::nextPiece()
{
    if (m_pieceIndex == 0) {
        m_pieceIndex = 1;
        m_piece = m_head.bytes().data() + m_head.headSize();
        m_pieceLeft = m_head.bytes().size() - m_head.headSize();
        m_pieceIsLast = m_fragments.finished();
        return true;
    }
    if (m_fragments.finished())
        return false;
    m_readLive = true;
    DUL_PDV fragment;
    if (m_fragments.next(fragment).bad()) {
        m_failure = Failure::Sender;
        return false;
    }
    ElementHeaderReader& reader = m_head.reader();
    if (!reader.feed(static_cast<const char*>(fragment.data), fragment.fragmentLength)
        || (fragment.lastPDV && !reader.betweenElements())) {
        m_failure = Failure::DataSetEnds;
        return false;
    }
    m_pieceIndex = 2;
    m_piece = static_cast<const char*>(fragment.data);
    m_pieceLeft = fragment.fragmentLength;
    m_pieceIsLast = fragment.lastPDV;
    return true;
}

// The piece as data set fragments of at most the toolkit's buffer size (the
// archive's PDU size less the headers), none marked last.
bool CutThroughDataSet::writeDirectly()
{
    while (m_pieceLeft > 0) {
        const std::size_t length = std::min(m_pieceLeft, std::size_t(m_bufferSize) & ~std::size_t(1));
        // At most the buffer size: it fits the toolkit's length, 32 bits on Windows.
        DUL_PDV fragment{static_cast<unsigned long>(length), m_contextId, DUL_DATASETPDV, OFFalse,
                         const_cast<char*>(m_piece)};
        DUL_PDVLIST list{1, nullptr, 0, {}, &fragment};
        if (length == 0 || DUL_WritePDVs(&m_archive->DULassociation, &list).bad())
            return false;
        m_piece += length;
        m_pieceLeft -= length;
        m_lastProgress = std::chrono::steady_clock::now();
    }
    return true;
}

} // namespace quorin::dicom
