#include "operators/OperatorStorage.h"

#include "settings/NumberText.h"
#include "settings/ProfileStrings.h"

#include <QFileInfo>

namespace {

const QString kSection = QStringLiteral("Operator");
const QString kCountKey = QStringLiteral("OperatorCount");
constexpr qint16 kBufferSize = 256;

QString EntryKey(int row)
{
    return QStringLiteral("Operator%1").arg(row);
}

} // namespace

qint16 ReadOperatorCount(const QString& iniPath)
{
    const std::optional<qint32> count =
        ToInt32(ReadIniString(kSection, kCountKey, QStringLiteral("0"), iniPath, kBufferSize));
    if (!count)
        return 0;
    return qint16(qBound<qint32>(std::numeric_limits<qint16>::min(), *count, kMaxOperatorCount));
}

QList<OperatorEntry> ReadOperatorEntries(const QString& iniPath, qint16 count)
{
    QList<OperatorEntry> entries;
    if (count <= 0)
        return entries;
    entries.reserve(count);
    const IniReadSnapshot file(iniPath);
    for (int row = 1; row <= count; ++row)
        entries.append(OperatorEntry::parse(file.read(kSection, EntryKey(row), QStringLiteral("|||"), kBufferSize)));
    return entries;
}

bool WriteOperatorEntries(const QString& iniPath, const QList<OperatorEntry>& entries)
{
    if (entries.isEmpty()) {
        // An empty list stores its count, so that deleted rows do not come
        // back; a missing file stays missing.
        if (!QFileInfo::exists(iniPath))
            return true;
        return WriteIniString(kSection, kCountKey, QStringLiteral("0"), iniPath);
    }
    // The count follows every entry, so a file without it gets it right
    // after Operator1. Rows beyond what the 16-bit row numbers of the format
    // hold are not stored.
    IniWriteBatch batch(iniPath);
    const int rows = int(qMin<qsizetype>(entries.size(), kMaxOperatorCount));
    for (int row = 1; row <= rows; ++row) {
        batch.write(kSection, EntryKey(row), entries.at(row - 1).joined());
        batch.write(kSection, kCountKey, QString::number(row));
    }
    return batch.commit();
}
