#pragma once
// Layout of the edit dialog "Operator ändern".

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class FrmEdit : public QDialog {
    Q_OBJECT
public:
    // Centred over opener when shown, which does not own it.
    explicit FrmEdit(QWidget* opener = nullptr);

    QWidget* Picture1 = nullptr;
    QLabel* Label1[3] = {};   // 0 "Vorname:", 1 "Kürzel", 2 "Nachname:"
    QLineEdit* txtName = nullptr;
    QLineEdit* txtSurename = nullptr;
    QLineEdit* txtShort = nullptr;
    QPushButton* cmdOpEdit = nullptr; // "Ändern", default button
    QPushButton* cmdClose = nullptr;  // "Abbrechen"

protected:
    void keyPressEvent(QKeyEvent* event) override; // Escape does nothing
};
