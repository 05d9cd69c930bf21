#pragma once
// Keeps an owned dialog off the taskbar on every desktop.

class QWidget;

// Call before the window is first shown. Windows gives an owned window no
// taskbar button by itself; X11 taskbars go by what the window asks for.
void KeepOffTaskbar(QWidget* window);
