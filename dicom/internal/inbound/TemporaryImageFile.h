#pragma once
// A received image's temporary file: a unique path in the relay's own
// temporary folder, and the file removed when this object goes, whatever
// path the image took.

#include <QString>

namespace quorin::dicom {

class TemporaryImageFile {
public:
    TemporaryImageFile();
    ~TemporaryImageFile();
    TemporaryImageFile(const TemporaryImageFile&) = delete;
    TemporaryImageFile& operator=(const TemporaryImageFile&) = delete;

    // Empty when the folder could not be made.
    const QString& path() const { return m_path; }

    // The folder that holds the files of this process.
    static QString folder();
    // Removes the folder when no file is left in it (at the end of the process).
    static void removeEmptyFolder();

private:
    QString m_path;
};

} // namespace quorin::dicom
