#pragma once
// The files a fuzz target works on live in one private temporary folder per
// process, removed at exit, so parallel runs do not share files and runs
// leave nothing behind.

#include <QByteArray>
#include <QString>

namespace ScratchFile {

// The path of a file named name in the process's folder.
QString Path(const QString& name);

// Replaces the file's content with bytes.
void Write(const QString& filePath, const QByteArray& bytes);

// The file's content; empty when it cannot be read.
QByteArray Read(const QString& filePath);

} // namespace ScratchFile
