#include "ui/OperatorForm.h"

#include "ui/ControlFactory.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// name, text, {left, top, width, height}, Tahoma pt, bold, tab index
const ControlDesign kPicture1{"Picture1", "", {45, 45, 5100, 2805}, 0, false, 0};
const ControlDesign kTxtName{"txtName", "", {135, 405, 3660, 390}, 11.25, false, 1};
const ControlDesign kTxtSurename{"txtSurename", "", {135, 1440, 3660, 390}, 11.25, false, 2};
const ControlDesign kTxtShort{"txtShort", "", {4140, 1440, 825, 390}, 11.25, false, 3};
const ControlDesign kCmdClose{"cmdClose", "Abbrechen", {3465, 2160, 1500, 500}, 11.25, true, 5};
const TwipsBox kPrimaryBox{1845, 2160, 1500, 500};
constexpr int kPrimaryTabIndex = 4;

// By Label1 index: the tab index differs between the dialogs.
struct LabelDesign {
    const char* text;
    TwipsBox box;
};
const LabelDesign kLabels[3] = {
    {"Vorname:", {135, 90, 1065, 270}},
    {"Kürzel", {4140, 1125, 720, 270}},
    {"Nachname:", {135, 1125, 1245, 270}},
};

} // namespace

OperatorForm::OperatorForm(const DialogDesign& frame, const OperatorFormVariant& variant, QWidget* opener)
    : DialogFrame(frame, opener)
{
    Picture1 = MakeControl<QWidget>(this, kPicture1);
    buildLabels(variant);
    txtName = MakeControl<QLineEdit>(Picture1, kTxtName);
    txtSurename = MakeControl<QLineEdit>(Picture1, kTxtSurename);
    txtShort = MakeControl<QLineEdit>(Picture1, kTxtShort);
    txtShort->setAlignment(Qt::AlignCenter); // a short code reads best centred
    primary = MakeControl<QPushButton>(
        Picture1, {variant.primaryName, variant.primaryText, kPrimaryBox, 11.25, true, kPrimaryTabIndex});
    primary->setDefault(true);
    cmdClose = MakeControl<QPushButton>(Picture1, kCmdClose);
    ChainTabOrder({txtName, txtSurename, txtShort, primary, cmdClose});
    txtName->setFocus();
}

void OperatorForm::buildLabels(const OperatorFormVariant& variant)
{
    for (int index = 0; index < 3; ++index) {
        const LabelDesign& label = kLabels[index];
        Label1[index] = MakeControl<QLabel>(
            Picture1, {"Label1", label.text, label.box, 11.25, true, variant.labelTabIndex[index]});
        SetControlIndex(Label1[index], index);
    }
}
