#pragma once
// Layout of the new-operator dialog "Neu anlegen".

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class FrmNew : public QDialog {
    Q_OBJECT
public:
    // Centred over opener when shown, which does not own it.
    explicit FrmNew(QWidget* opener = nullptr);

    QWidget* Picture1 = nullptr;
    QLabel* Label1[3] = {};   // 0 "Vorname:", 1 "Kürzel", 2 "Nachname:"
    QLineEdit* txtName = nullptr;
    QLineEdit* txtSurename = nullptr;
    QLineEdit* txtShort = nullptr;
    QPushButton* cmdNew = nullptr;   // "Anlegen", default button
    QPushButton* cmdClose = nullptr; // "Abbrechen"

protected:
    void keyPressEvent(QKeyEvent* event) override; // Escape does nothing
};
