#pragma once
// What the new-operator and the edit dialog share: the form they act on,
// "Abbrechen" closing it, and the operator as typed into its three boxes.

#include "operators/OperatorEntry.h"

#include <QObject>

class OperatorForm;

class OperatorDialog : public QObject {
    Q_OBJECT
protected:
    explicit OperatorDialog(OperatorForm& form);

    // First name, surname and short code as the boxes hold them; no marker.
    OperatorEntry typedOperator() const;

    OperatorForm& m_form;
};
