#pragma once
// The attribute set of a received image. Changes are recorded here on the
// GUI thread and applied to the dataset when the image is forwarded, so the
// GUI thread never parses or copies pixel data.

#include <QList>
#include <QMutex>
#include <QString>

class ToolkitAttributeSet {
public:
    struct Change {
        quint16 group;
        quint16 element;
        QString value;
    };

    // Sets the text value of (group,element), replacing an earlier change of
    // the same attribute. The value is written unchanged, also when empty.
    void PutAttribute(qint32 group, qint32 element, const QString& value);

    QList<Change> changes() const;

private:
    mutable QMutex m_mutex;
    QList<Change> m_changes;
};
