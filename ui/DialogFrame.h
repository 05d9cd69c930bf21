#pragma once
// The frame the three dialogs share: caption, icon, fixed client size,
// title-bar buttons, modality, dialog font and placement.

class QDialog;
class QKeyEvent;

struct DialogDesign {
    const char* name;
    const char* caption;   // UTF-8
    int clientWidth;       // twips
    int clientHeight;      // twips
    double fontPointSize;  // Tahoma, regular
};

void SetUpDialogFrame(QDialog* dialog, const DialogDesign& design);

// The dialogs have no cancel button: Escape must not close them.
bool IsEscape(const QKeyEvent* event);
