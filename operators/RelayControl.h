#pragma once
// What the operator list and its dialogs may ask of the relay: who is on
// duty now (the short code stamped on every image from then on), that nobody
// is, and that relaying stops (the operator on duty was deleted). app/ hands
// them the relay's owner through this, so operators/ needs nothing above it.

#include <QString>

class RelayControl {
public:
    virtual void setOperatorOnDuty(const QString& shortCode, const QString& displayName) = 0;
    virtual void clearOperatorOnDuty() = 0;
    // Closes every listener and shows the relay stopped.
    virtual void stopRelaying() = 0;

protected:
    ~RelayControl() = default;
};
