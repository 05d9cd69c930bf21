#include "operators/OperatorEntry.h"

#include <QStringList>

QString OperatorEntry::joined() const
{
    return Marker + QLatin1Char('|') + FirstName + QLatin1Char('|') + Surname + QLatin1Char('|') + ShortCode;
}

OperatorEntry OperatorEntry::parse(const QString& storedValue)
{
    const QStringList fields = storedValue.split(QLatin1Char('|'));
    const auto field = [&fields](qsizetype i) { return i < fields.size() ? fields.at(i) : QString(); };
    return {field(0), field(1), field(2), field(3)};
}

QString OperatorEntry::displayName() const
{
    return FirstName + QLatin1Char(' ') + Surname;
}
