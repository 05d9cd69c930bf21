#include "dicom/internal/inbound/ReceivedDataSet.h"

#include "dicom/internal/ImageTimeline.h"
#include "dicom/internal/TimeLimits.h"
#include "dicom/internal/inbound/DataSetHead.h"
#include "dicom/internal/inbound/SenderFragments.h"

#include <dcmtk/dcmdata/dcerror.h>
#include <dcmtk/dcmdata/dcostrma.h>
#include <dcmtk/dcmnet/dimse.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <atomic>
#include <limits>

namespace quorin::dicom {

namespace {

std::atomic<quint64> g_nextFileNumber{1};

// One folder per process, so two relays never share (or clean) files.
QString TemporaryFolder()
{
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("quorinrelay-%1").arg(QCoreApplication::applicationPid()));
}

} // namespace

// The toolkit's output stream for a received data set: its network layer
// writes each received fragment here, as it would into a file.
class ReceivedDataSet::Stream : public DcmOutputStream {
public:
    // The base class only keeps the pointer, so the member may be built after it.
    explicit Stream(ReceivedDataSet& target)
        : DcmOutputStream(&m_consumer)
        , m_consumer(target)
    {
    }

private:
    // The end of the stream's chain: hands every byte to the data set.
    class Consumer : public DcmConsumer {
    public:
        explicit Consumer(ReceivedDataSet& target)
            : m_target(target)
        {
        }
        OFBool good() const override { return m_target.good(); }
        // Not good: the temporary file failed.
        OFCondition status() const override { return m_target.good() ? EC_Normal : EC_InvalidStream; }
        // Nothing is held back: every write reaches the data set at once.
        OFBool isFlushed() const override { return OFTrue; }
        offile_off_t avail() const override
        {
            return m_target.good() ? std::numeric_limits<offile_off_t>::max() : 0;
        }
        offile_off_t write(const void* buf, offile_off_t buflen) override
        {
            return buflen > 0 && m_target.append(buf, std::size_t(buflen)) ? buflen : 0;
        }
        void flush() override {}

    private:
        ReceivedDataSet& m_target;
    };

    Consumer m_consumer;
};

ReceivedDataSet::ReceivedDataSet(E_TransferSyntax syntax, std::size_t memoryLimit)
    : m_syntax(syntax)
    , m_memoryLimit(memoryLimit)
{
}

ReceivedDataSet::~ReceivedDataSet()
{
    m_writer.reset(); // closes the file before it is removed
    if (!m_filePath.isEmpty())
        QFile::remove(m_filePath);
}

void ReceivedDataSet::removeTemporaryFolder()
{
    QDir().rmdir(TemporaryFolder()); // fails, harmlessly, while a file is still in it
}

OFCondition ReceivedDataSet::receive(T_ASC_Association* association, T_ASC_PresentationContextID contextId)
{
    Stream stream(*this);
    T_ASC_PresentationContextID dataContextId = contextId;
    const OFCondition receiving = DIMSE_receiveDataSetInFile(association, DIMSE_NONBLOCKING,
                                                             kSenderIdleTimeoutSeconds, &dataContextId,
                                                             &stream, nullptr, nullptr);
    if (receiving.bad())
        return sendersPart(receiving);
    MarkTimeline(TimelineStage::LastByteIn);
    if (dataContextId != contextId)
        return DIMSE_BADMESSAGE; // command and data set on different contexts
    finish();
    return EC_Normal;
}

OFCondition ReceivedDataSet::receiveAfter(const DataSetHead& head, SenderFragments& fragments)
{
    append(head.bytes().data(), head.bytes().size());
    DUL_PDV fragment;
    while (!fragments.finished()) {
        const OFCondition read = fragments.next(fragment);
        if (read.bad())
            return sendersPart(read);
        append(fragment.data, fragment.fragmentLength); // a failed file is told by finish()
    }
    finish();
    return EC_Normal;
}

// Out of resources, with the bytes not kept: the rest of the data set was
// read and dropped (the toolkit does so when its stream takes no more), so
// the sender can still be answered.
OFCondition ReceivedDataSet::sendersPart(const OFCondition& receiving) const
{
    return receiving == DIMSE_OUTOFRESOURCES && !m_good ? EC_Normal : receiving;
}

bool ReceivedDataSet::append(const void* bytes, std::size_t count)
{
    if (!m_good)
        return false;
    if (m_filePath.isEmpty() && m_size + count > m_memoryLimit)
        m_good = spill();
    if (m_good)
        m_good = write(bytes, count);
    if (m_good)
        m_size += count;
    return m_good;
}

bool ReceivedDataSet::finish()
{
    if (m_writer) {
        m_good = m_good && m_writer->good();
        m_writer.reset(); // closes the file, so every byte can be read back
    }
    return m_good;
}

bool ReceivedDataSet::spill()
{
    const QString folder = TemporaryFolder();
    if (!QDir().mkpath(folder))
        return false;
    m_filePath = QDir(folder).filePath(QStringLiteral("image-%1.dcm").arg(g_nextFileNumber++));
    m_writer = std::make_unique<DcmFileConsumer>(OFFilename(QFile::encodeName(m_filePath).constData()));
    if (!m_writer->good())
        return false;
    const bool written = write(m_bytes.data(), m_bytes.size());
    std::vector<char>().swap(m_bytes); // hands the memory back now, not when the image is answered
    return written;
}

bool ReceivedDataSet::write(const void* bytes, std::size_t count)
{
    if (m_writer) {
        const offile_off_t written = m_writer->write(bytes, offile_off_t(count));
        return m_writer->good() && written == offile_off_t(count);
    }
    if (m_bytes.capacity() == 0)
        m_bytes.reserve(m_memoryLimit); // one allocation; pages are only used as they are filled
    const char* begin = static_cast<const char*>(bytes);
    m_bytes.insert(m_bytes.end(), begin, begin + count);
    return true;
}

} // namespace quorin::dicom
