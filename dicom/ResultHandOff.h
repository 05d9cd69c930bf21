#pragma once
// The hand-off of a forward's outcome from the worker thread to the thread
// of the handler's context object. A signal connection is used because Qt
// removes it under its own lock when the context is destroyed; posting to a
// raw context pointer from another thread could race with that destruction.

#include "dicom/ForwardResult.h"

#include <QObject>
#include <functional>
#include <memory>

namespace quorin::dicom {

class ResultHandOff : public QObject {
    Q_OBJECT
public:
    // Call on the context's thread. `done` runs there later, once, unless the
    // context is destroyed first. The returned function may be called from
    // any thread, once; dropped uncalled, `done` never runs.
    static std::function<void(const ForwardResult&)>
    connect(QObject* context, std::function<void(const ForwardResult&)> done);

signals:
    void delivered();

private:
    ResultHandOff() = default;
};

} // namespace quorin::dicom
