#pragma once
// The section names, key names and values a fuzz target of the INI layer
// reads and writes: fixed ones that stress the name and value rules (case,
// blanks, quotes, brackets, line breaks, NUL, text outside Windows-1252),
// plus pieces of the input itself, so that the fuzzer can reach the names and
// values a given file holds.

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <utility>

// A deterministic stream of choices drawn from the input, so that a crash
// artifact replays the same reads and writes.
class Choices {
public:
    explicit Choices(const QByteArray& seedBytes);
    qsizetype below(qsizetype bound);
    const QString& among(const QStringList& texts) { return texts.at(below(texts.size())); }

private:
    quint64 m_state;
};

struct IniCandidates {
    QStringList sections;
    QStringList keys;
    QStringList values;

    // count (section, key) pairs: all sections in turn, keys chosen. Every
    // pair of the full product would cost far more than it finds.
    QList<std::pair<QString, QString>> pairs(qsizetype count, Choices& choices) const;
};

IniCandidates CandidatesFor(const QByteArray& fileBytes);
