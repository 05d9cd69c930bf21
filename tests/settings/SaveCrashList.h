#pragma once
// The operator lists that savecrash_writer saves, one per run number, shared
// with tst_savecrash so that the test knows every complete file the writer
// can leave. Large enough that a save takes a while; the run number is in
// every entry, so that a file mixing two saves cannot look like one.

#include "operators/OperatorEntry.h"

#include <QList>

namespace SaveCrash {

constexpr int ListSize = 3000;

inline QList<OperatorEntry> List(int run)
{
    QList<OperatorEntry> list;
    list.reserve(ListSize);
    for (int row = 1; row <= ListSize; ++row) {
        list.append({row == 1 ? OperatorEntry::CheckedMarker : QString(), QStringLiteral("Run%1").arg(run),
                     QStringLiteral("Nachname%1-%2").arg(row).arg(run), QStringLiteral("K%1").arg(row)});
    }
    return list;
}

} // namespace SaveCrash
