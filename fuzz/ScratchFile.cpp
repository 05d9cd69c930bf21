#include "ScratchFile.h"

#include "FuzzCheck.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

const QTemporaryDir& Folder()
{
    static const QTemporaryDir folder; // removed when the process exits normally
    FUZZ_CHECK(folder.isValid());
    return folder;
}

} // namespace

QString ScratchFile::Path(const QString& name)
{
    return Folder().filePath(name);
}

void ScratchFile::Write(const QString& filePath, const QByteArray& bytes)
{
    QFile file(filePath);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
}

QByteArray ScratchFile::Read(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
