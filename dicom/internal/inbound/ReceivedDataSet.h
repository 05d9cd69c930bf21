#pragma once
// A data set received for store and forward, byte for byte as it arrived,
// kept until its sender has been answered: in memory while it is small, in
// a temporary file (removed with this object) once it grows past a limit.

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcostrmf.h>
#include <dcmtk/dcmdata/dcxfer.h>
#include <dcmtk/dcmnet/assoc.h>

#include <QString>
#include <cstddef>
#include <memory>
#include <vector>

namespace quorin::dicom {

class DataSetHead;
class SenderFragments;

class ReceivedDataSet {
public:
    // Up to this many bytes stay in memory: with every association holding
    // one image and its parsed copy, memory stays bounded; a larger image's
    // file costs little next to its transfer.
    static constexpr std::size_t kDefaultMemoryLimit = 4 * 1024 * 1024;

    // `syntax`: the transfer syntax the bytes are encoded in.
    explicit ReceivedDataSet(E_TransferSyntax syntax, std::size_t memoryLimit = kDefaultMemoryLimit);
    ~ReceivedDataSet();
    ReceivedDataSet(const ReceivedDataSet&) = delete;
    ReceivedDataSet& operator=(const ReceivedDataSet&) = delete;

    // Both receives read the data set to its end. An error when the sender
    // failed (gone, silent too long, unreadable data): the association
    // ends. A data set read whole but not kept (its temporary file failed)
    // is no error of the sender's: good() tells it, and the sender is
    // answered with a failure.
    // The data set that follows the command, by the toolkit's own
    // receive-to-file.
    OFCondition receive(T_ASC_Association* association, T_ASC_PresentationContextID contextId);
    // The head, read already, then the fragments still to come.
    OFCondition receiveAfter(const DataSetHead& head, SenderFragments& fragments);

    bool good() const { return m_good; }
    E_TransferSyntax syntax() const { return m_syntax; }
    bool inMemory() const { return m_filePath.isEmpty(); }
    // The bytes while in memory.
    const std::vector<char>& bytes() const { return m_bytes; }
    // The temporary file once spilled.
    const QString& filePath() const { return m_filePath; }

    // Removes the process's temporary folder when no file is left in it (at
    // the end of the process).
    static void removeTemporaryFolder();

private:
    class Stream;

    // Adds the next bytes; false (and from then on) when the temporary file
    // cannot be made or written.
    bool append(const void* bytes, std::size_t count);
    // All bytes are in: closes the temporary file, if any, so it can be read.
    bool finish();
    OFCondition sendersPart(const OFCondition& receiving) const;
    bool spill();
    bool write(const void* bytes, std::size_t count);

    const E_TransferSyntax m_syntax;
    const std::size_t m_memoryLimit;
    std::vector<char> m_bytes;
    std::size_t m_size = 0;
    QString m_filePath;
    std::unique_ptr<DcmFileConsumer> m_writer;
    bool m_good = true;
};

} // namespace quorin::dicom
