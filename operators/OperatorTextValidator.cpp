#include "operators/OperatorTextValidator.h"

#include "settings/Cp1252.h"

#include <QLineEdit>

OperatorTextValidator::OperatorTextValidator(QLineEdit* box, int maxLength)
    : QValidator(box), m_maxLength(maxLength), m_acceptedText(box->text())
{
    // The box already holds the edited text while it is validated, so the
    // text before the edit is remembered here.
    connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { m_acceptedText = text; });
}

QValidator::State OperatorTextValidator::validate(QString& input, int& /*pos*/) const
{
    if (input.contains(QLatin1Char('|')) || !IsCp1252Encodable(input))
        return Invalid;
    // A longer text loaded from the file may still be shortened, never grown.
    const bool grows = input.size() > m_acceptedText.size();
    if (input.size() > m_maxLength && grows)
        return Invalid;
    return Acceptable;
}

QString StorableUpperCase(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        // "ß" would become "SS": a code that no longer says what was typed,
        // and longer than the limit allows. One character stays one.
        const QString upper = QString(c).toUpper();
        result += upper.size() == 1 && IsCp1252Encodable(upper) ? upper : QString(c);
    }
    return result;
}

void RestrictOperatorBoxes(QLineEdit* txtName, QLineEdit* txtSurename, QLineEdit* txtShort)
{
    txtName->setValidator(new OperatorTextValidator(txtName, kMaxNameLength));
    txtSurename->setValidator(new OperatorTextValidator(txtSurename, kMaxNameLength));
    txtShort->setValidator(new OperatorTextValidator(txtShort, kMaxShortCodeLength));
}
