#pragma once
// The layout shared by the new-operator and the edit-operator dialogs: one
// borderless panel holding three labelled boxes and two buttons. The two
// dialogs differ only in their frame, the primary button and the labels'
// tab indices.

#include "ui/DialogFrame.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

struct OperatorFormVariant {
    const char* primaryName;  // cmdNew or cmdOpEdit
    const char* primaryText;  // UTF-8
    int labelTabIndex[3];     // by Label1 index
};

class OperatorForm : public DialogFrame {
    Q_OBJECT
public:
    QWidget* Picture1 = nullptr;
    QLabel* Label1[3] = {};   // 0 "Vorname:", 1 "Kürzel", 2 "Nachname:"
    QLineEdit* txtName = nullptr;
    QLineEdit* txtSurename = nullptr;
    QLineEdit* txtShort = nullptr;
    QPushButton* primary = nullptr;  // the default button: cmdNew "Anlegen" or cmdOpEdit "Ändern"
    QPushButton* cmdClose = nullptr; // "Abbrechen"

protected:
    // Centred over opener when shown, which does not own it.
    OperatorForm(const DialogDesign& frame, const OperatorFormVariant& variant, QWidget* opener);

private:
    void buildLabels(const OperatorFormVariant& variant);
};
