#pragma once
// An INI file held in memory as its lines, each with its original bytes and
// line ending, so that writing it back changes only the lines that were set.
//
// Reading rules (those of the Windows private-profile functions):
// - A section header is a line whose first non-blank character is '[' and
//   which holds a ']'; the name is the text up to the last ']', blanks
//   around it dropped. Lines before the first header belong to no section.
// - A key line holds a '='; the key is the text before the first '=', the
//   value the text after it, blanks (spaces, tabs) around each dropped. A
//   value enclosed in matching quotes (both " or both ') loses them.
// - Lines whose first non-blank character is ';' are comments; blank lines
//   and other lines are kept but mean nothing.
// - Section and key names match without regard to letter case. When a
//   section or a key appears twice, the first one counts.
// - Lines end with LF or CR LF; the last line may have no line ending.
// - Text is Windows-1252.
//
// Writing rules: setValue() replaces the value of an existing key in place
// (the line keeps its key spelling, the blanks before the old value and its
// line ending); a missing key goes after the last non-blank line of its
// section, a missing section to the end of the file (after a line ending is
// added to an unterminated last line). New lines end with CR LF. Every other
// line keeps its bytes.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class IniDocument {
public:
    IniDocument();

    static IniDocument fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    // The value of key in the first section named section, or nothing when
    // the section or the key is missing. Keys before the first section
    // header are never found.
    std::optional<QString> value(const QString& section, const QString& key) const;

    // Sets key in section to value as described above. A NUL ends each text
    // (as in the 8-bit platform API); CR and LF become blanks, so a value
    // can never add lines or sections to the file.
    void setValue(const QString& section, const QString& key, const QString& value);

private:
    enum class LineEnd : quint8 { None, Lf, CrLf };
    struct Line {
        QByteArray text; // without the line ending
        LineEnd end = LineEnd::None;
    };
    struct Section {
        std::optional<Line> header;        // none for the lines before the first header
        std::vector<Line> lines;           // up to the last non-blank line
        std::vector<Line> trailingBlanks;  // blank lines after it
        QHash<QString, qsizetype> keys;    // folded key name -> index in lines (first one)
    };

    void appendLine(Line line);
    Line* lastLine();
    void indexKeyLine(Section& section, qsizetype index);
    void reparse();

    std::vector<Section> m_sections;           // [0]: the lines before the first header
    QHash<QString, qsizetype> m_sectionIndex; // folded name -> first section of that name
};
