#pragma once
// A received image's data set, byte for byte as it arrived, kept until its
// sender has been answered: in memory while it is small, in a temporary file
// once it grows past a limit. Most images are small, and for them creating,
// writing, reading back and removing a file per image was most of the
// relay's own time; a huge image still never has to fit in memory.

#include "dicom/internal/inbound/TemporaryImageFile.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcostrmf.h>
#include <dcmtk/dcmdata/dcxfer.h>

#include <QString>
#include <cstddef>
#include <memory>
#include <vector>

namespace quorin::dicom {

class ReceivedDataSet {
public:
    // Up to this many bytes stay in memory. With the most concurrent senders
    // each holding one image (and its parsed copy while it is sent) that is
    // about 128 MB at worst; larger images are big enough that their file
    // costs little next to their transfer.
    static constexpr std::size_t kDefaultMemoryLimit = 4 * 1024 * 1024;

    // `syntax`: the transfer syntax the bytes are encoded in.
    explicit ReceivedDataSet(E_TransferSyntax syntax, std::size_t memoryLimit = kDefaultMemoryLimit);
    ~ReceivedDataSet();
    ReceivedDataSet(const ReceivedDataSet&) = delete;
    ReceivedDataSet& operator=(const ReceivedDataSet&) = delete;

    // Adds the next bytes; false (and from then on) when the temporary file
    // cannot be made or written.
    bool append(const void* bytes, std::size_t count);
    // All bytes are in: closes the temporary file, if any, so it can be read.
    bool finish();
    bool good() const { return m_good; }

    E_TransferSyntax syntax() const { return m_syntax; }
    std::size_t size() const { return m_size; }
    bool inMemory() const { return !m_file; }
    // The bytes while in memory.
    const std::vector<char>& bytes() const { return m_bytes; }
    // The temporary file once spilled; removed when this object goes.
    QString filePath() const;

private:
    bool spill();
    bool write(const void* bytes, std::size_t count);

    const E_TransferSyntax m_syntax;
    const std::size_t m_memoryLimit;
    std::vector<char> m_bytes;
    std::size_t m_size = 0;
    std::unique_ptr<TemporaryImageFile> m_file;
    std::unique_ptr<DcmFileConsumer> m_writer;
    bool m_good = true;
};

} // namespace quorin::dicom
