#pragma once
// How bench_relay prints a case: the times of both paths, their ratio
// against its limit, the time each image gained through the relay, where
// that time went on the relay's worker, and what each party cost the machine.

#include "PathPairs.h"

#include <QTextStream>

template <typename T>
T Percentile(QList<T> values, double fraction)
{
    if (values.isEmpty())
        return T();
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, qsizetype(fraction * double(values.size())))];
}

template <typename T>
T Median(const QList<T>& values)
{
    return Percentile(values, 0.5);
}

void PrintFigures(QTextStream& out, const BenchCase& benchCase, const CaseFigures& figures);
