#pragma once
// The toolkit's output stream for receiving a data set into a
// ReceivedDataSet: the toolkit's network layer writes each received fragment
// here, as it would into a file.

#include "dicom/internal/inbound/ReceivedDataSet.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcostrma.h>

namespace quorin::dicom {

// The end of the stream's chain: hands every byte to the data set.
class ReceivedDataSetConsumer : public DcmConsumer {
public:
    explicit ReceivedDataSetConsumer(ReceivedDataSet& target);

    OFBool good() const override;
    OFCondition status() const override;
    OFBool isFlushed() const override;
    offile_off_t avail() const override;
    offile_off_t write(const void* buf, offile_off_t buflen) override;
    void flush() override;

private:
    ReceivedDataSet& m_target;
};

class ReceivedDataSetStream : public DcmOutputStream {
public:
    explicit ReceivedDataSetStream(ReceivedDataSet& target);

private:
    ReceivedDataSetConsumer m_consumer;
};

} // namespace quorin::dicom
