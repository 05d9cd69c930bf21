#include "IniCandidates.h"

#include "settings/Cp1252.h"

#include <QSet>

namespace {

constexpr qsizetype kMaxPieces = 8;
constexpr qsizetype kMaxPieceSize = 80;

// Pieces of the file between line breaks, brackets and '=': the names and
// values it holds, with their blanks and quotes.
QStringList Pieces(const QByteArray& bytes)
{
    QStringList pieces;
    QSet<QByteArray> seen;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= bytes.size() && pieces.size() < kMaxPieces; ++i) {
        if (i < bytes.size() && !QByteArray("\n[]=").contains(bytes.at(i)))
            continue;
        const QByteArray piece = bytes.sliced(start, qMin(i - start, kMaxPieceSize));
        start = i + 1;
        if (!piece.isEmpty() && !seen.contains(piece)) {
            seen.insert(piece);
            pieces.append(DecodeCp1252(piece));
        }
    }
    return pieces;
}

QStringList FixedNames()
{
    return {QStringLiteral("Operator"), QStringLiteral("OperatorCount"), QStringLiteral("operator1"),
            QStringLiteral("Local"),    QStringLiteral("LocalPort"),     QStringLiteral(" Ärzte\t"),
            QString(),                  QStringLiteral("[x"),            QStringLiteral("a=b"),
            QStringLiteral(";c"),       QStringLiteral("日本"),          QStringLiteral("x\r\ny"),
            QString::fromUtf16(u"n\0ul", 4)};
}

QStringList FixedValues()
{
    return {QString(),
            QStringLiteral("1"),
            QStringLiteral(" padded "),
            QStringLiteral("\"quoted\""),
            QStringLiteral("'x"),
            QStringLiteral("a]b"),
            QStringLiteral("line\r\nbreak"),
            QString::fromUtf16(u"cut\0here", 8),
            QStringLiteral("Müller€"),
            QStringLiteral("日本"),
            QString(300, QLatin1Char('v'))};
}

} // namespace

IniCandidates CandidatesFor(const QByteArray& fileBytes)
{
    const QStringList pieces = Pieces(fileBytes);
    return {FixedNames() + pieces, FixedNames() + pieces, FixedValues() + pieces};
}

QList<std::pair<QString, QString>> IniCandidates::pairs(qsizetype count, Choices& choices) const
{
    QList<std::pair<QString, QString>> pairs;
    for (qsizetype i = 0; i < count; ++i)
        pairs.append({sections.at(i % sections.size()), choices.among(keys)});
    return pairs;
}

Choices::Choices(const QByteArray& seedBytes)
    : m_state(14695981039346656037ull) // FNV-1a
{
    for (const char c : seedBytes)
        m_state = (m_state ^ quint8(c)) * 1099511628211ull;
}

qsizetype Choices::below(qsizetype bound)
{
    // xorshift64: cheap and good enough to pick among a few dozen texts
    m_state ^= m_state << 13;
    m_state ^= m_state >> 7;
    m_state ^= m_state << 17;
    return qsizetype(m_state % quint64(bound));
}
