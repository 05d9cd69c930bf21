#include "LocalEdit.h"

#include <QList>

namespace {

// The lines with their line endings; only the last one may lack '\n'.
QList<QByteArray> LinesWithEnds(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', pos);
        const qsizetype end = newline < 0 ? bytes.size() : newline + 1;
        lines.append(bytes.sliced(pos, end - pos));
        pos = end;
    }
    return lines;
}

QByteArray Ending(const QByteArray& line)
{
    if (line.endsWith("\r\n"))
        return "\r\n";
    return line.endsWith('\n') ? "\n" : "";
}

bool AllNewLines(const QList<QByteArray>& lines)
{
    for (const QByteArray& line : lines) {
        if (!line.endsWith("\r\n"))
            return false;
    }
    return true;
}

bool IsValueReplaced(const QByteArray& before, const QByteArray& after)
{
    const qsizetype equals = before.indexOf('=');
    return equals >= 0 && after.startsWith(before.left(equals + 1)) && Ending(before) == Ending(after);
}

} // namespace

bool IsLocalEdit(const QByteArray& before, const QByteArray& after)
{
    const QList<QByteArray> old = LinesWithEnds(before);
    const QList<QByteArray> now = LinesWithEnds(after);
    const qsizetype shorter = qMin(old.size(), now.size());
    qsizetype prefix = 0;
    while (prefix < shorter && old[prefix] == now[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (prefix + suffix < shorter && old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
    const QList<QByteArray> removed = old.mid(prefix, old.size() - prefix - suffix);
    const QList<QByteArray> added = now.mid(prefix, now.size() - prefix - suffix);

    if (removed.isEmpty())
        return added.size() <= 2 && AllNewLines(added);
    if (removed.size() != 1 || added.isEmpty())
        return false;
    if (added.size() == 1)
        return IsValueReplaced(removed[0], added[0]);
    // An unterminated last line, terminated before the new lines.
    return !removed[0].endsWith('\n') && added[0] == removed[0] + "\r\n" && added.size() <= 3
        && AllNewLines(added.mid(1));
}
