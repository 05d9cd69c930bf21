#pragma once
// The frame the three dialogs share: caption, icon, fixed client size,
// title-bar buttons, modality, taskbar button, dialog font and placement.

class QDialog;
class QKeyEvent;
class QWidget;

struct DialogDesign {
    const char* name;
    const char* caption;   // UTF-8
    int clientWidth;       // twips
    int clientHeight;      // twips
    double fontPointSize;  // Tahoma, regular
    bool ownTaskbarButton; // no parent; else the parent owns it
};

// opener: the main window, over which the dialog appears, its parent or
// not. While the dialog is open the main window takes no input.
void SetUpDialogFrame(QDialog* dialog, const DialogDesign& design, QWidget* opener);

// The dialogs have no cancel button: Escape must not close them.
bool IsEscape(const QKeyEvent* event);
