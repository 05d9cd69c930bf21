// Fuzz target of the INI layer: any bytes as Settings.ini, then the
// documented read and write rules of settings/ProfileStrings.h and
// settings/IniDocument.h are checked on it.

#include "FuzzCheck.h"
#include "IniCandidates.h"
#include "LocalEdit.h"
#include "PlainText.h"
#include "ScratchFile.h"
#include "settings/IniDocument.h"
#include "settings/ProfileStrings.h"

#include <cstdint>
#include <iterator>

namespace {

constexpr qint16 kLargestBuffer = 32767;
constexpr qint16 kBufferSizes[] = {256, 1, 0, -1, 2, 17, kLargestBuffer};
constexpr qsizetype kWritesPerInput = 3;
constexpr qsizetype kPairsPerCheck = 40;
const QString kDefault = QStringLiteral("Vorgabe");

struct Write {
    QString section;
    QString key;
    QString value;
};

// Reading and writing back without a change gives the same bytes.
void CheckParseKeepsBytes(const QByteArray& bytes)
{
    FUZZ_CHECK(IniDocument::fromBytes(bytes).toBytes() == bytes);
}

// Every buffer size gives the first bufferSize - 1 characters of the value,
// and a snapshot answers as a read of the file does.
void CheckReads(const QString& path, const IniCandidates& names, Choices& choices)
{
    const IniReadSnapshot snapshot(path);
    FUZZ_CHECK(snapshot.fileExists());
    qsizetype n = 0;
    for (const auto& [section, key] : names.pairs(kPairsPerCheck, choices)) {
        const qint16 size = kBufferSizes[n++ % qsizetype(std::size(kBufferSizes))];
        const QString full = snapshot.read(section, key, kDefault, kLargestBuffer);
        FUZZ_CHECK(snapshot.read(section, key, kDefault, size) == (size > 0 ? full.left(size - 1) : QString()));
        if (n <= 3)
            FUZZ_CHECK(ReadIniString(section, key, kDefault, path, 256) == snapshot.read(section, key, kDefault, 256));
    }
}

QList<Write> PickWrites(const IniCandidates& names, Choices& choices)
{
    QList<Write> writes;
    for (qsizetype i = 0; i < kWritesPerInput; ++i)
        writes.append({choices.among(names.sections), choices.among(names.keys), choices.among(names.values)});
    return writes;
}

// Each write changes only its own line (or adds its lines), and a plain value
// reads back as written.
void CheckWritesOneByOne(const QString& path, const QList<Write>& writes)
{
    for (const Write& write : writes) {
        const QByteArray before = ScratchFile::Read(path);
        FUZZ_CHECK(WriteIniString(write.section, write.key, write.value, path));
        FUZZ_CHECK(IsLocalEdit(before, ScratchFile::Read(path)));
        if (IsPlainKey(write.key) && ReadsBackUnchanged(write.value))
            FUZZ_CHECK(ReadIniString(write.section, write.key, kDefault, path, kLargestBuffer) == write.value);
    }
}

// A batch gives exactly the file of the same writes one by one; an empty
// batch leaves the file alone.
void CheckBatch(const QString& path, const QByteArray& original, const QList<Write>& writes,
                const QByteArray& oneByOne)
{
    ScratchFile::Write(path, original);
    FUZZ_CHECK(IniWriteBatch(path).commit());
    FUZZ_CHECK(ScratchFile::Read(path) == original);
    IniWriteBatch batch(path);
    for (const Write& write : writes)
        batch.write(write.section, write.key, write.value);
    FUZZ_CHECK(batch.commit());
    FUZZ_CHECK(ScratchFile::Read(path) == oneByOne);
}

// After writes in memory, the document answers as a fresh read of its bytes:
// the state a batch builds on never drifts from the file it will write.
void CheckDocumentMatchesFreshRead(const QByteArray& original, const QList<Write>& writes,
                                   const IniCandidates& names, Choices& choices)
{
    IniDocument document = IniDocument::fromBytes(original);
    for (const Write& write : writes)
        document.setValue(write.section, write.key, write.value);
    const IniDocument fresh = IniDocument::fromBytes(document.toBytes());
    for (const Write& write : writes)
        FUZZ_CHECK(document.value(write.section, write.key) == fresh.value(write.section, write.key));
    for (const auto& [section, key] : names.pairs(kPairsPerCheck, choices))
        FUZZ_CHECK(document.value(section, key) == fresh.value(section, key));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    CheckParseKeepsBytes(bytes);

    const QString path = ScratchFile::Path(QStringLiteral("Settings.ini"));
    ScratchFile::Write(path, bytes);
    const IniCandidates names = CandidatesFor(bytes);
    Choices choices(bytes);
    CheckReads(path, names, choices);

    const QList<Write> writes = PickWrites(names, choices);
    CheckWritesOneByOne(path, writes);
    CheckBatch(ScratchFile::Path(QStringLiteral("Batch.ini")), bytes, writes, ScratchFile::Read(path));
    CheckDocumentMatchesFreshRead(bytes, writes, names, choices);
    return 0;
}
