#include "dicom/ResultHandOff.h"

namespace quorin::dicom {

std::function<void(const ForwardResult&)>
ResultHandOff::connect(QObject* context, std::function<void(const ForwardResult&)> done)
{
    if (!context || !done)
        return [](const ForwardResult&) {};

    // Held by the returned function: the hand-off goes once the outcome was
    // sent (its queued delivery comes first), or when the function is
    // dropped uncalled (the image's sender vanished mid-image: nothing to
    // report).
    struct Delivery {
        ResultHandOff* handOff = new ResultHandOff;
        std::shared_ptr<ForwardResult> result = std::make_shared<ForwardResult>();
        ~Delivery() { handOff->deleteLater(); }
    };
    auto delivery = std::make_shared<Delivery>();
    QObject::connect(delivery->handOff, &ResultHandOff::delivered, context,
                     [result = delivery->result, done = std::move(done)] { done(*result); }, Qt::QueuedConnection);
    return [delivery](const ForwardResult& outcome) {
        // Written before the signal, read after its queued delivery.
        *delivery->result = outcome;
        emit delivery->handOff->delivered();
    };
}

} // namespace quorin::dicom
