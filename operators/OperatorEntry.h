#pragma once
// One operator: one row of lstOperator, one key "Operator<n>" of section
// "Operator" in Settings.ini, stored as Marker|FirstName|Surname|ShortCode.

#include <QString>

struct OperatorEntry {
    QString Marker; // "Checked" for the operator on duty; other text is kept as it is
    QString FirstName;
    QString Surname;
    QString ShortCode;

    static inline const QString CheckedMarker = QStringLiteral("Checked");

    // The stored form: the four fields joined by "|", nothing escaped.
    QString joined() const;

    // Splits a stored value at every "|"; fields after the fourth are dropped,
    // missing ones are empty (an entry with fewer separators still loads).
    static OperatorEntry parse(const QString& storedValue);

    // "FirstName Surname", as lblOperator shows the operator on duty.
    QString displayName() const;

    bool operator==(const OperatorEntry&) const = default;
};
