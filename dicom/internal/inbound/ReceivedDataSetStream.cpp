#include "dicom/internal/inbound/ReceivedDataSetStream.h"

#include <dcmtk/dcmdata/dcerror.h>

#include <limits>

namespace quorin::dicom {

ReceivedDataSetConsumer::ReceivedDataSetConsumer(ReceivedDataSet& target)
    : m_target(target)
{
}

OFBool ReceivedDataSetConsumer::good() const
{
    return m_target.good();
}

OFCondition ReceivedDataSetConsumer::status() const
{
    return m_target.good() ? EC_Normal : EC_InvalidStream; // the temporary file failed
}

OFBool ReceivedDataSetConsumer::isFlushed() const
{
    return OFTrue; // nothing is held back: every write reaches the data set at once
}

offile_off_t ReceivedDataSetConsumer::avail() const
{
    return m_target.good() ? std::numeric_limits<offile_off_t>::max() : 0;
}

offile_off_t ReceivedDataSetConsumer::write(const void* buf, offile_off_t buflen)
{
    if (buflen <= 0 || !m_target.append(buf, std::size_t(buflen)))
        return 0;
    return buflen;
}

void ReceivedDataSetConsumer::flush()
{
}

// The base class only keeps the pointer, so the member may be built after it.
ReceivedDataSetStream::ReceivedDataSetStream(ReceivedDataSet& target)
    : DcmOutputStream(&m_consumer)
    , m_consumer(target)
{
}

} // namespace quorin::dicom
