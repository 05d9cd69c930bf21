#pragma once
// Small run-time properties the windows carry beside Qt's own: a control's
// hidden tag text and a panel's background colour as a Windows colour value
// (0x00BBGGRR: 255 red, 65280 green).

#include <QString>

class QObject;
class QWidget;

constexpr int kColorRed = 255;
constexpr int kColorGreen = 65280;

// Sets and fills the background (the lamp picOp); BackColor returns the
// value last set, or -1 when none was.
void SetBackColor(QWidget* control, int windowsColor);
int BackColor(const QWidget* control);
