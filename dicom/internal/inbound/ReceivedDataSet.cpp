#include "dicom/internal/inbound/ReceivedDataSet.h"

#include <QFile>

namespace quorin::dicom {

ReceivedDataSet::ReceivedDataSet(E_TransferSyntax syntax, std::size_t memoryLimit)
    : m_syntax(syntax)
    , m_memoryLimit(memoryLimit)
{
}

// The writer closes the file before TemporaryImageFile removes it.
ReceivedDataSet::~ReceivedDataSet()
{
    m_writer.reset();
}

bool ReceivedDataSet::append(const void* bytes, std::size_t count)
{
    if (!m_good)
        return false;
    if (!m_file && m_size + count > m_memoryLimit)
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

QString ReceivedDataSet::filePath() const
{
    return m_file ? m_file->path() : QString();
}

bool ReceivedDataSet::spill()
{
    m_file = std::make_unique<TemporaryImageFile>();
    if (m_file->path().isEmpty())
        return false;
    m_writer = std::make_unique<DcmFileConsumer>(OFFilename(QFile::encodeName(m_file->path()).constData()));
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
