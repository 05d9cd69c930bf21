#pragma once
#include <QFont>

// Registers a Tahoma-compatible font where the system has one outside the
// font path (Debian's fonts-wine). Call once after QApplication exists.
void RegisterTahoma();

// Tahoma at the given point size, bold or regular.
QFont TahomaFont(double pointSize, bool bold = false);
