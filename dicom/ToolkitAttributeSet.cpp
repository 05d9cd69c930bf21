#include "dicom/ToolkitAttributeSet.h"

#include <QMutexLocker>

void ToolkitAttributeSet::PutAttribute(qint32 group, qint32 element, const QString& value)
{
    // Tags are 16-bit; the wider integer type is the caller's convention.
    const AttributeChange change{quint16(group), quint16(element), value};
    QMutexLocker lock(&m_mutex);
    for (AttributeChange& earlier : m_changes) {
        if (earlier.group == change.group && earlier.element == change.element) {
            earlier.value = change.value;
            return;
        }
    }
    m_changes.append(change);
}

QList<AttributeChange> ToolkitAttributeSet::changes() const
{
    QMutexLocker lock(&m_mutex);
    return m_changes;
}
