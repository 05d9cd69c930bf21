// Fuzz target of the operator list: any bytes as Settings.ini, read as the
// program loads its list, written back as it saves it, and read again.

#include "FuzzCheck.h"
#include "PlainText.h"
#include "ScratchFile.h"
#include "operators/OperatorStorage.h"
#include "settings/ProfileStrings.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr qsizetype kLargestStoredValue = 255; // buffer 256 less the NUL
// Reading all rows of a count clamped to 32766 is slow under the sanitizers;
// the fuzzer soon finds such counts and would spend most of its time there.
constexpr qint16 kMaxReadEntries = 64;
constexpr qsizetype kMaxWrittenEntries = 40; // keeps one input fast

// Settings of other sections that an operator save must not change.
const QList<std::pair<QString, QString>> kOtherSettings = {
    {QStringLiteral("Local"), QStringLiteral("LocalPort")},
    {QStringLiteral("Local"), QStringLiteral("Debugmode")},
    {QStringLiteral("Archive"), QStringLiteral("AET")},
};

QList<OperatorEntry> ReadList(const QString& path)
{
    const qint16 count = ReadOperatorCount(path);
    FUZZ_CHECK(count <= kMaxOperatorCount);
    const qint16 rows = qMin(count, kMaxReadEntries);
    const QList<OperatorEntry> entries = ReadOperatorEntries(path, rows);
    FUZZ_CHECK(entries.size() == qMax<qsizetype>(0, rows));
    for (const OperatorEntry& entry : entries) {
        const qsizetype fields =
            entry.Marker.size() + entry.FirstName.size() + entry.Surname.size() + entry.ShortCode.size();
        FUZZ_CHECK(fields <= kLargestStoredValue);
    }
    return entries;
}

QStringList OtherSettingValues(const QString& path)
{
    const IniReadSnapshot snapshot(path);
    QStringList values;
    for (const auto& [section, key] : kOtherSettings)
        values.append(snapshot.read(section, key, QStringLiteral("(none)"), 256));
    return values;
}

// The loaded list in reverse order, so that saving replaces values in place
// with others, plus one entry with umlauts that the file may not have yet.
QList<OperatorEntry> ListToSave(const QList<OperatorEntry>& loaded)
{
    QList<OperatorEntry> list = loaded.first(qMin(loaded.size(), kMaxWrittenEntries));
    std::reverse(list.begin(), list.end());
    list.append({OperatorEntry::CheckedMarker, QStringLiteral("Jörg"), QStringLiteral("Müller"), QStringLiteral("JM")});
    return list;
}

// An entry whose stored form the read rules give back unchanged.
bool StoresUnchanged(const OperatorEntry& entry)
{
    const QString stored = entry.joined();
    return stored.size() <= kLargestStoredValue && ReadsBackUnchanged(stored);
}

void CheckSaveAndReload(const QString& path, const QList<OperatorEntry>& list)
{
    const QStringList others = OtherSettingValues(path);
    FUZZ_CHECK(WriteOperatorEntries(path, list));
    const QList<OperatorEntry> reloaded = ReadList(path);
    FUZZ_CHECK(reloaded.size() == list.size());
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (StoresUnchanged(list[i]))
            FUZZ_CHECK(reloaded[i] == list[i]);
    }
    FUZZ_CHECK(OtherSettingValues(path) == others);
}

// Saving an empty list stores a count of 0.
void CheckEmptySave(const QString& path, const QByteArray& original)
{
    ScratchFile::Write(path, original);
    FUZZ_CHECK(WriteOperatorEntries(path, {}));
    FUZZ_CHECK(ReadOperatorCount(path) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = ScratchFile::Path(QStringLiteral("Settings.ini"));
    ScratchFile::Write(path, bytes);
    CheckSaveAndReload(path, ListToSave(ReadList(path)));
    CheckEmptySave(ScratchFile::Path(QStringLiteral("Empty.ini")), bytes);
    return 0;
}
