#include "dicom/internal/ForwardResultCourier.h"

std::function<void(const ForwardResult&)>
ForwardResultCourier::connect(QObject* context, std::function<void(const ForwardResult&)> done)
{
    if (!context || !done)
        return [](const ForwardResult&) {};

    auto* courier = new ForwardResultCourier;
    auto result = std::make_shared<ForwardResult>();
    QObject::connect(courier, &ForwardResultCourier::delivered, context,
                     [result, done = std::move(done)] { done(*result); }, Qt::QueuedConnection);
    return [courier, result](const ForwardResult& outcome) {
        // Written before the signal, read after its queued delivery.
        *result = outcome;
        emit courier->delivered();
        courier->deleteLater();
    };
}
