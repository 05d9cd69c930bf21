#include "ui/FrmSettings.h"

#include "ui/ControlFactory.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// name, text, {left, top, width, height}, Tahoma pt, bold, tab index
const ControlDesign kFrame1{"Frame1", "Archiv", {135, 135, 3210, 2220}, 12, false, 0};
const ControlDesign kPicture1{"Picture1", "", {90, 315, 2895, 1635}, 0, false, 9};
const ControlDesign kLabelAET{"Label1", "AET:", {45, 180, 495, 270}, 11.25, true, 10};
const ControlDesign kTxtAET{"txtAET", "", {45, 495, 2850, 330}, 11.25, false, 1};
const ControlDesign kLabelIP{"Label1", "IP:", {45, 945, 330, 270}, 11.25, true, 11};
const ControlDesign kTxtIP{"txtIP", "", {45, 1260, 1725, 330}, 11.25, false, 2};
const ControlDesign kLabelPort{"Label1", "Port:", {2160, 945, 555, 270}, 11.25, true, 12};
const ControlDesign kTxtPort{"txtPort", "", {2160, 1245, 690, 345}, 11.25, false, 3};

const ControlDesign kFrame2{"Frame2", "Lokal", {3420, 135, 3255, 2220}, 12, false, 13};
const ControlDesign kPicture2{"Picture2", "", {90, 270, 2985, 1770}, 0, false, 14};
const ControlDesign kLabelLocAET{"Label1", "AET:", {45, 225, 495, 270}, 11.25, true, 15};
const ControlDesign kTxtLocAET{"txtLocAET", "", {45, 540, 2040, 330}, 11.25, false, 4};
const ControlDesign kLblPort{"lblPort", "Port:", {2295, 225, 555, 270}, 11.25, true, 16};
const ControlDesign kTxtLocPort{"txtLocPort", "", {2295, 540, 690, 330}, 11.25, false, 5};
const ControlDesign kChkDebug{"chkDebug", "Debug", {45, 1305, 1230, 330}, 11.25, true, 17};

const ControlDesign kCmdOK{"cmdOK", "OK", {2115, 2790, 1500, 500}, 9.75, true, 6};
const ControlDesign kCmdClose{"cmdClose", "Abbrechen", {3690, 2790, 1500, 500}, 9.75, true, 8};
const ControlDesign kCmdApply{"cmdApply", "Übernehmen", {5265, 2790, 1500, 500}, 9.75, true, 7};

QLabel* MakeIndexedLabel(QWidget* parent, const ControlDesign& design, int index)
{
    QLabel* label = MakeControl<QLabel>(parent, design);
    SetControlIndex(label, index);
    return label;
}

} // namespace

FrmSettings::FrmSettings(QWidget* parent)
    : DialogFrame({"frmSettings", "Einstellungen", 6780, 3375, 8.25, false}, parent)
{
    buildArchiveGroup();
    buildLocalGroup();
    cmdOK = MakeControl<QPushButton>(this, kCmdOK);
    cmdOK->setDefault(true);
    cmdClose = MakeControl<QPushButton>(this, kCmdClose);
    cmdApply = MakeControl<QPushButton>(this, kCmdApply);
    ChainTabOrder({txtAET, txtIP, txtPort, txtLocAET, txtLocPort, cmdOK, cmdApply, cmdClose, chkDebug});
    txtAET->setFocus();
}

// The port boxes get no maximum length here: four characters is a limit on
// typing only, and a longer stored value must still show in full.
void FrmSettings::buildArchiveGroup()
{
    Frame1 = MakeControl<QGroupBox>(this, kFrame1);
    Picture1 = MakeControl<QWidget>(Frame1, kPicture1);
    Label1[0] = MakeIndexedLabel(Picture1, kLabelAET, 0);
    txtAET = MakeControl<QLineEdit>(Picture1, kTxtAET);
    Label1[1] = MakeIndexedLabel(Picture1, kLabelIP, 1);
    txtIP = MakeControl<QLineEdit>(Picture1, kTxtIP);
    Label1[2] = MakeIndexedLabel(Picture1, kLabelPort, 2);
    txtPort = MakeControl<QLineEdit>(Picture1, kTxtPort);
}

void FrmSettings::buildLocalGroup()
{
    Frame2 = MakeControl<QGroupBox>(this, kFrame2);
    Picture2 = MakeControl<QWidget>(Frame2, kPicture2);
    Label1[3] = MakeIndexedLabel(Picture2, kLabelLocAET, 3);
    txtLocAET = MakeControl<QLineEdit>(Picture2, kTxtLocAET);
    lblPort = MakeControl<QLabel>(Picture2, kLblPort);
    txtLocPort = MakeControl<QLineEdit>(Picture2, kTxtLocPort);
    // Still loaded and saved with the settings, but never offered.
    chkDebug = MakeControl<QCheckBox>(Picture2, kChkDebug);
    chkDebug->hide();
}
