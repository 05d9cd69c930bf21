#pragma once
// The profile-string layer: our own INI reader and writer that behaves as
// the Windows private-profile functions do, so a Settings.ini edited by hand
// or on Windows reads the same here, plus atomic, checked writes.
//
// Reads: a missing file, section or key gives the default; section and key
// names match without regard to case; blanks around a value are dropped; a
// value enclosed in matching quotes loses them; at most bufferSize - 1
// characters come back. Writes: the file is created when missing, a missing
// section is appended at the end of the file, a missing key at the end of its
// section, otherwise the value is replaced in place; every other byte of the
// file stays as it was. Text is Windows-1252 in the file; CRLF is written,
// LF-only files are read. Every write replaces the file atomically.

#include <QString>
#include <memory>

class IniDocument;

// Reads one value of an INI file. The program passes 256, 1024 for a path.
QString ReadIniString(const QString& section, const QString& key, const QString& defaultValue,
                      const QString& filePath, qint16 bufferSize);

// Writes one value (the profile-string write). Returns false when the file
// could not be written; the file on disk is then unchanged. An existing file
// that is unreadable, not writable to us, or has no write permission bit at
// all (read-only, even for root) is not written.
[[nodiscard]] bool WriteIniString(const QString& section, const QString& key, const QString& value,
                                  const QString& filePath);

// Many reads from one snapshot of the file: same results as ReadIniString
// for each key, without re-reading the file per key.
class IniReadSnapshot {
public:
    explicit IniReadSnapshot(const QString& filePath);
    ~IniReadSnapshot();
    IniReadSnapshot(const IniReadSnapshot&) = delete;
    IniReadSnapshot& operator=(const IniReadSnapshot&) = delete;

    // True when the file existed and could be read.
    bool fileExists() const;
    QString read(const QString& section, const QString& key, const QString& defaultValue,
                 qint16 bufferSize) const;

private:
    std::unique_ptr<IniDocument> m_document; // null when the file is missing or unreadable
};

// Many writes as one: commit() produces exactly the file that the same
// WriteIniString calls one by one would have produced, written once and
// atomically. A batch without writes commits nothing (and creates no file).
class IniWriteBatch {
public:
    explicit IniWriteBatch(const QString& filePath);
    ~IniWriteBatch();
    IniWriteBatch(const IniWriteBatch&) = delete;
    IniWriteBatch& operator=(const IniWriteBatch&) = delete;

    void write(const QString& section, const QString& key, const QString& value);
    [[nodiscard]] bool commit();

private:
    QString m_filePath;
    std::unique_ptr<IniDocument> m_document;
    bool m_readFailed = false;
    bool m_dirty = false;
};
