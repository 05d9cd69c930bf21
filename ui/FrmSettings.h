#pragma once
// Layout of the settings dialog "Einstellungen".

#include "ui/DialogFrame.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class FrmSettings : public DialogFrame {
    Q_OBJECT
public:
    explicit FrmSettings(QWidget* parent = nullptr);

    QGroupBox* Frame1 = nullptr;  // "Archiv"
    QWidget* Picture1 = nullptr;
    QGroupBox* Frame2 = nullptr;  // "Lokal"
    QWidget* Picture2 = nullptr;
    QLabel* Label1[4] = {};       // 0 "AET:", 1 "IP:", 2 "Port:", 3 "AET:"
    QLabel* lblPort = nullptr;    // "Port:"
    QLineEdit* txtAET = nullptr;
    QLineEdit* txtIP = nullptr;
    QLineEdit* txtPort = nullptr;
    QLineEdit* txtLocAET = nullptr;
    QLineEdit* txtLocPort = nullptr;
    QCheckBox* chkDebug = nullptr; // exists, never shown
    QPushButton* cmdOK = nullptr;     // default button
    QPushButton* cmdApply = nullptr;  // "Übernehmen"
    QPushButton* cmdClose = nullptr;  // "Abbrechen"

private:
    void buildArchiveGroup();
    void buildLocalGroup();
};
