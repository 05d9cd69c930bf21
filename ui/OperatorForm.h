#pragma once
// The layout shared by the new-operator and the edit-operator dialogs: one
// borderless panel holding three labelled boxes and two buttons. The two
// dialogs differ only in the primary button and in the labels' tab indices.

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

struct OperatorFormVariant {
    const char* primaryName;  // cmdNew or cmdOpEdit
    const char* primaryText;  // UTF-8
    int labelTabIndex[3];     // by Label1 index
};

struct OperatorForm {
    QWidget* Picture1 = nullptr;
    QLabel* Label1[3] = {};
    QLineEdit* txtName = nullptr;
    QLineEdit* txtSurename = nullptr;
    QLineEdit* txtShort = nullptr;
    QPushButton* primary = nullptr;  // the default button
    QPushButton* cmdClose = nullptr;
};

OperatorForm BuildOperatorForm(QDialog* dialog, const OperatorFormVariant& variant);
