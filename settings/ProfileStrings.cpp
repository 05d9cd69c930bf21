#include "settings/ProfileStrings.h"

#include "settings/Cp1252.h"
#include "settings/IniDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

enum class LoadResult { Missing, Loaded, Unreadable };

LoadResult LoadDocument(const QString& filePath, std::unique_ptr<IniDocument>& document)
{
    const QFileInfo info(filePath);
    if (!info.exists())
        return LoadResult::Missing;
    QFile file(filePath);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return LoadResult::Unreadable;
    document = std::make_unique<IniDocument>(IniDocument::fromBytes(bytes));
    return LoadResult::Loaded;
}

// An existing file is replaced only when it is writable to us and not marked
// read-only. The second test matters where the permission bits do not stop
// the user (root): a file without any write bit is read-only to everyone, as
// a file with the read-only attribute is on Windows. Replacing goes through a
// rename, which the file's own bits would not stop at all.
bool MayReplace(const QFileInfo& info)
{
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isWritable() && (info.permissions() & anyWrite);
}

// Writes the whole file through a temporary file beside it and a rename, so
// that the old file stays as it was when anything fails.
bool SaveAtomically(const QString& filePath, const QByteArray& bytes)
{
    const QFileInfo info(filePath);
    if (info.exists() && !MayReplace(info))
        return false;
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// At most bufferSize - 1 characters, as a NUL-terminated buffer of that size
// holds.
QString FitBuffer(QString text, qint16 bufferSize)
{
    if (bufferSize <= 0)
        return {};
    text.truncate(bufferSize - 1);
    return text;
}

} // namespace

QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue,
                      const QString& filePath, qint16 bufferSize)
{
    return IniReadSnapshot(filePath).read(section, key, defaultValue, bufferSize);
}

bool WriteIniString(const QString& section, const QString& key, const QString& value, const QString& filePath)
{
    IniWriteBatch batch(filePath);
    batch.write(section, key, value);
    return batch.commit();
}

IniReadSnapshot::IniReadSnapshot(const QString& filePath)
{
    LoadDocument(filePath, m_document);
}

IniReadSnapshot::~IniReadSnapshot() = default;

bool IniReadSnapshot::fileExists() const
{
    return m_document != nullptr;
}

QString IniReadSnapshot::read(const QString& section, const QString& key, const QString& defaultValue,
                              qint16 bufferSize) const
{
    std::optional<QString> value;
    if (m_document)
        value = m_document->value(section, key);
    // The default passes through the 8-bit code page as well.
    return FitBuffer(value ? *value : DecodeCp1252(EncodeCp1252(defaultValue)), bufferSize);
}

IniWriteBatch::IniWriteBatch(const QString& filePath)
    : m_filePath(filePath)
{
    m_readFailed = LoadDocument(filePath, m_document) == LoadResult::Unreadable;
    if (!m_document)
        m_document = std::make_unique<IniDocument>();
}

IniWriteBatch::~IniWriteBatch() = default;

void IniWriteBatch::write(const QString& section, const QString& key, const QString& value)
{
    m_document->setValue(section, key, value);
    m_dirty = true;
}

bool IniWriteBatch::commit()
{
    if (m_readFailed)
        return false;
    if (!m_dirty)
        return true;
    if (!SaveAtomically(m_filePath, m_document->toBytes()))
        return false;
    m_dirty = false;
    return true;
}
