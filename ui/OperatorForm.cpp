#include "ui/OperatorForm.h"

#include "ui/ControlFactory.h"

#include <QDialog>
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

void BuildLabels(OperatorForm& form, const OperatorFormVariant& variant)
{
    for (int index = 0; index < 3; ++index) {
        const LabelDesign& label = kLabels[index];
        form.Label1[index] = MakeControl<QLabel>(
            form.Picture1, {"Label1", label.text, label.box, 11.25, true, variant.labelTabIndex[index]});
        SetControlIndex(form.Label1[index], index);
    }
}

} // namespace

OperatorForm BuildOperatorForm(QDialog* dialog, const OperatorFormVariant& variant)
{
    OperatorForm form;
    form.Picture1 = MakeControl<QWidget>(dialog, kPicture1);
    BuildLabels(form, variant);
    form.txtName = MakeControl<QLineEdit>(form.Picture1, kTxtName);
    form.txtSurename = MakeControl<QLineEdit>(form.Picture1, kTxtSurename);
    form.txtShort = MakeControl<QLineEdit>(form.Picture1, kTxtShort);
    form.txtShort->setAlignment(Qt::AlignCenter); // a short code reads best centred
    form.primary = MakeControl<QPushButton>(
        form.Picture1, {variant.primaryName, variant.primaryText, kPrimaryBox, 11.25, true, kPrimaryTabIndex});
    form.primary->setDefault(true);
    form.cmdClose = MakeControl<QPushButton>(form.Picture1, kCmdClose);
    ChainTabOrder({form.txtName, form.txtSurename, form.txtShort, form.primary, form.cmdClose});
    form.txtName->setFocus();
    return form;
}
