#include "settings/IniDocument.h"

#include "settings/Cp1252.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct Span {
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype size() const { return end - begin; }
};

Span Trimmed(const QByteArray& text, qsizetype begin, qsizetype end)
{
    while (begin < end && IsBlank(text.at(begin)))
        ++begin;
    while (end > begin && IsBlank(text.at(end - 1)))
        --end;
    return {begin, end};
}

enum class Kind { Blank, Comment, Header, Key, Other };

struct LineInfo {
    Kind kind = Kind::Other;
    Span name;            // section name (Header) or key name (Key)
    Span value;           // Key: the value, blanks dropped, quotes kept
    qsizetype equals = 0; // Key: position of the first '='
};

LineInfo Classify(const QByteArray& text)
{
    LineInfo info;
    const Span content = Trimmed(text, 0, text.size());
    if (content.size() == 0) {
        info.kind = Kind::Blank;
        return info;
    }
    const char first = text.at(content.begin);
    if (first == ';') {
        info.kind = Kind::Comment;
        return info;
    }
    if (first == '[') {
        if (const qsizetype close = text.lastIndexOf(']'); close > content.begin) {
            info.kind = Kind::Header;
            info.name = Trimmed(text, content.begin + 1, close);
            return info;
        }
    }
    info.equals = text.indexOf('=', content.begin);
    if (info.equals >= 0) {
        info.kind = Kind::Key;
        info.name = Trimmed(text, content.begin, info.equals);
        info.value = Trimmed(text, info.equals + 1, content.end);
    }
    return info;
}

QString Fold(const QByteArray& text, Span span)
{
    return DecodeCp1252(text.sliced(span.begin, span.size())).toCaseFolded();
}

// A caller's text as the 8-bit API would see it: ended by a NUL, and without
// line breaks, which would split the line.
QString Cleaned(const QString& text)
{
    QString cleaned = text.left(text.indexOf(QChar(0)));
    cleaned.replace(QChar('\r'), QChar(' ')).replace(QChar('\n'), QChar(' '));
    return cleaned;
}

// The lookup form of a section or key name given by a caller: what the file
// would hold for it, blanks around it dropped, case folded.
QString NameKey(const QString& name)
{
    const QByteArray bytes = EncodeCp1252(Cleaned(name));
    return Fold(bytes, Trimmed(bytes, 0, bytes.size()));
}

} // namespace

IniDocument::IniDocument()
{
    m_sections.emplace_back(); // the lines before the first header
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument document;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', pos);
        Line line;
        if (newline < 0) {
            line.text = bytes.sliced(pos);
            pos = bytes.size();
        } else {
            qsizetype textEnd = newline;
            line.end = LineEnd::Lf;
            if (textEnd > pos && bytes.at(textEnd - 1) == '\r') {
                --textEnd;
                line.end = LineEnd::CrLf;
            }
            line.text = bytes.sliced(pos, textEnd - pos);
            pos = newline + 1;
        }
        document.appendLine(std::move(line));
    }
    return document;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray bytes;
    const auto put = [&bytes](const Line& line) {
        bytes.append(line.text);
        if (line.end == LineEnd::CrLf)
            bytes.append("\r\n", 2);
        else if (line.end == LineEnd::Lf)
            bytes.append('\n');
    };
    for (const Section& section : m_sections) {
        if (section.header)
            put(*section.header);
        for (const Line& line : section.lines)
            put(line);
        for (const Line& line : section.trailingBlanks)
            put(line);
    }
    return bytes;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const auto sectionIt = m_sectionIndex.constFind(NameKey(section));
    if (sectionIt == m_sectionIndex.constEnd())
        return std::nullopt;
    const Section& found = m_sections[*sectionIt];
    const auto keyIt = found.keys.constFind(NameKey(key));
    if (keyIt == found.keys.constEnd())
        return std::nullopt;

    const QByteArray& text = found.lines[*keyIt].text;
    Span value = Classify(text).value;
    if (value.size() >= 2) {
        const char first = text.at(value.begin);
        if ((first == '"' || first == '\'') && text.at(value.end - 1) == first) {
            ++value.begin;
            --value.end;
        }
    }
    return DecodeCp1252(text.sliced(value.begin, value.size()));
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    const QByteArray keyBytes = EncodeCp1252(Cleaned(key));
    const QByteArray valueBytes = EncodeCp1252(Cleaned(value));

    const auto sectionIt = m_sectionIndex.constFind(NameKey(section));
    if (sectionIt == m_sectionIndex.constEnd()) {
        if (Line* last = lastLine(); last && last->end == LineEnd::None)
            last->end = LineEnd::CrLf;
        appendLine({'[' + EncodeCp1252(Cleaned(section)) + ']', LineEnd::CrLf});
        appendLine({keyBytes + '=' + valueBytes, LineEnd::CrLf});
        return;
    }

    Section& target = m_sections[*sectionIt];
    qsizetype index;
    if (const auto keyIt = target.keys.constFind(NameKey(key)); keyIt != target.keys.constEnd()) {
        // In place: the key as spelt in the file, and the blanks before a
        // non-empty old value, stay.
        index = *keyIt;
        Line& line = target.lines[index];
        const LineInfo info = Classify(line.text);
        const qsizetype keep = info.value.size() > 0 ? info.value.begin : info.equals + 1;
        line.text.truncate(keep);
        line.text.append(valueBytes);
    } else {
        // After the last non-blank line of the section; only the last line of
        // the file can lack a line ending.
        Line& previous = target.lines.empty() ? *target.header : target.lines.back();
        if (previous.end == LineEnd::None)
            previous.end = LineEnd::CrLf;
        index = qsizetype(target.lines.size());
        target.lines.push_back({keyBytes + '=' + valueBytes, LineEnd::CrLf});
    }

    // A key that looks like a section header ("[a" with a ']' in the value)
    // makes the line a header when the file is read again: rebuild the
    // structure from the bytes so that it stays what a fresh read would see.
    if (Classify(target.lines[index].text).kind == Kind::Header)
        reparse();
    else
        indexKeyLine(target, index);
}

void IniDocument::appendLine(Line line)
{
    const LineInfo info = Classify(line.text);
    if (info.kind == Kind::Header) {
        const QString name = Fold(line.text, info.name);
        if (!m_sectionIndex.contains(name))
            m_sectionIndex.insert(name, qsizetype(m_sections.size()));
        Section& section = m_sections.emplace_back();
        section.header = std::move(line);
        return;
    }
    Section& section = m_sections.back();
    if (info.kind == Kind::Blank) {
        section.trailingBlanks.push_back(std::move(line));
        return;
    }
    for (Line& blank : section.trailingBlanks)
        section.lines.push_back(std::move(blank));
    section.trailingBlanks.clear();
    section.lines.push_back(std::move(line));
    indexKeyLine(section, qsizetype(section.lines.size()) - 1);
}

IniDocument::Line* IniDocument::lastLine()
{
    Section& section = m_sections.back();
    if (!section.trailingBlanks.empty())
        return &section.trailingBlanks.back();
    if (!section.lines.empty())
        return &section.lines.back();
    return section.header ? &*section.header : nullptr;
}

void IniDocument::indexKeyLine(Section& section, qsizetype index)
{
    if (!section.header)
        return; // keys before the first header belong to no section
    const QByteArray& text = section.lines[index].text;
    const LineInfo info = Classify(text);
    if (info.kind != Kind::Key)
        return;
    const QString name = Fold(text, info.name);
    if (!section.keys.contains(name))
        section.keys.insert(name, index);
}

void IniDocument::reparse()
{
    *this = fromBytes(toBytes());
}
