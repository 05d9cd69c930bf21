#pragma once
// The frame the three dialogs share: caption, icon, fixed client size,
// title-bar buttons, modality, taskbar button, dialog font and placement;
// and Escape closing nothing, as none of them has a cancel button.

#include <QDialog>

class QKeyEvent;
class QWidget;

struct DialogDesign {
    const char* name;
    const char* caption;   // UTF-8
    int clientWidth;       // twips
    int clientHeight;      // twips
    double fontPointSize;  // Tahoma, regular
    bool ownTaskbarButton; // no parent; else the opener owns it
};

class DialogFrame : public QDialog {
    Q_OBJECT
protected:
    // opener: the main window, over which the dialog appears, its parent or
    // not. While the dialog is open the main window takes no input.
    DialogFrame(const DialogDesign& design, QWidget* opener);

    void keyPressEvent(QKeyEvent* event) override; // Escape does nothing
};
