#include "dicom/internal/ForwardResultCourier.h"

std::function<void(const ForwardResult&)>
ForwardResultCourier::connect(QObject* context, std::function<void(const ForwardResult&)> done)
{
    if (!context || !done)
        return [](const ForwardResult&) {};

    // Held by the returned function: the courier goes once the outcome was
    // sent (its queued delivery comes first), or when the function is
    // dropped uncalled (the image's sender vanished mid-image: nothing to
    // report).
    struct Delivery {
        ForwardResultCourier* courier = new ForwardResultCourier;
        std::shared_ptr<ForwardResult> result = std::make_shared<ForwardResult>();
        ~Delivery() { courier->deleteLater(); }
    };
    auto delivery = std::make_shared<Delivery>();
    QObject::connect(delivery->courier, &ForwardResultCourier::delivered, context,
                     [result = delivery->result, done = std::move(done)] { done(*result); }, Qt::QueuedConnection);
    return [delivery](const ForwardResult& outcome) {
        // Written before the signal, read after its queued delivery.
        *delivery->result = outcome;
        emit delivery->courier->delivered();
    };
}
