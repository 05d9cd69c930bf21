#pragma once
// One change the handler made to a received image's attributes: the text
// value of (group,element), applied when the image is forwarded.

#include <QString>
#include <QtGlobal>

struct AttributeChange {
    quint16 group;
    quint16 element;
    QString value;
};
