#pragma once
// What the operator dialogs let the user type, so that nothing typed can
// corrupt Settings.ini: no "|" (the stored entry's separator), only
// characters Windows-1252 can hold, and lengths that keep a stored entry
// within the 255 characters read back from the file.

#include <QValidator>

class QLineEdit;

constexpr int kMaxNameLength = 100;
constexpr int kMaxShortCodeLength = 16; // Operators' Name is a DICOM person name

class OperatorTextValidator : public QValidator {
    Q_OBJECT
public:
    OperatorTextValidator(QLineEdit* box, int maxLength);

    State validate(QString& input, int& pos) const override;

private:
    int m_maxLength;
    QString m_acceptedText;
};

// Upper case as far as Windows-1252 can hold it: a character whose upper
// form the code page lacks (µ) stays as typed.
QString StorableUpperCase(const QString& text);

// Installs the validators on the three boxes of an operator dialog.
void RestrictOperatorBoxes(QLineEdit* txtName, QLineEdit* txtSurename, QLineEdit* txtShort);
