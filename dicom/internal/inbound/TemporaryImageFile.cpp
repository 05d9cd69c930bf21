#include "dicom/internal/inbound/TemporaryImageFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <atomic>

namespace quorin::dicom {

namespace {
std::atomic<quint64> g_nextFileNumber{1};
}

QString TemporaryImageFile::folder()
{
    // One folder per process, so two relays never share (or clean) files.
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("quorinrelay-%1").arg(QCoreApplication::applicationPid()));
}

void TemporaryImageFile::removeEmptyFolder()
{
    QDir().rmdir(folder()); // fails, harmlessly, while a file is still in it
}

TemporaryImageFile::TemporaryImageFile()
{
    const QString dir = folder();
    if (!QDir().mkpath(dir))
        return;
    m_path = QDir(dir).filePath(QStringLiteral("image-%1.dcm").arg(g_nextFileNumber++));
}

TemporaryImageFile::~TemporaryImageFile()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

} // namespace quorin::dicom
