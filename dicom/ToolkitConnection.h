#pragma once
#include <QString>

// The association an image arrived on. The relay holds it for the duration
// of its handler and reads nothing from it.
struct ToolkitConnection {
    QString callingAETitle;
    QString calledAETitle;
    QString peerAddress;
};
