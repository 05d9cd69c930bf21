#pragma once
// Message boxes for tests: records every box and answers from a queue
// (Ok, or Yes for a Yes/No box, when the queue is empty).

#include "ui/MessageBoxes.h"

#include <QList>
#include <QQueue>
#include <QString>

struct RecordedMessage {
    QString title;
    QString text;
    MessageIcon icon;
    MessageButtons buttons;
};

class RecordingMessageBoxes : public MessageBoxes {
public:
    MessageAnswer show(const QString& title, const QString& text, MessageIcon icon,
                       MessageButtons buttons) override
    {
        shown.append({title, text, icon, buttons});
        if (onShow)
            onShow();
        if (!answers.isEmpty())
            return answers.dequeue();
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }

    QStringList texts() const
    {
        QStringList result;
        for (const RecordedMessage& m : shown)
            result.append(m.text);
        return result;
    }

    QList<RecordedMessage> shown;
    QQueue<MessageAnswer> answers;
    std::function<void()> onShow; // runs while the "box" is open
};
