#pragma once
// Where a window appears: the main window centred on the screen when it is
// first shown, a dialog centred over the window that opens it.

class QWidget;

enum class Centring {
    OnScreenOnce,    // the first time the window is shown
    OverOpenerEach,  // every time it is shown; on the screen without an opener
};

// opener: the window that opens this one, its owner or not.
void CentreWhenShown(QWidget* window, Centring centring, const QWidget* opener = nullptr);
