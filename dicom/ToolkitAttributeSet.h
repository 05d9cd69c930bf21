#pragma once
// The attribute set of a received image. Changes are recorded here on the
// GUI thread and applied to the dataset when the image is forwarded, so the
// GUI thread never parses or copies pixel data.

#include "dicom/AttributeChange.h"

#include <QList>
#include <QMutex>
#include <QString>

class ToolkitAttributeSet {
public:
    // Sets the text value of (group,element), replacing an earlier change of
    // the same attribute. The value is written unchanged, also when empty.
    void PutAttribute(qint32 group, qint32 element, const QString& value);

    QList<AttributeChange> changes() const;

private:
    mutable QMutex m_mutex;
    QList<AttributeChange> m_changes;
};
