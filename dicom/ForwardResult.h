#pragma once
#include <QString>
#include <QtGlobal>

// The outcome of forwarding one image to the archive.
struct ForwardResult {
    bool accepted = false;   // the archive took the image (success or warning status)
    quint16 status = 0xA700; // the DIMSE status to pass back to the image's sender
    QString detail;          // for developers (debugger, tests); never shown to the user
};
