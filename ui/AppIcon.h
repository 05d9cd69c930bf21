#pragma once
#include <QIcon>

// The application icon (32 x 32), shared by all four windows.
QIcon AppIcon();
