#pragma once
// Every message box of the program goes through one object, so tests can
// record what would be shown and answer it.

#include <QString>

class QWidget;

enum class MessageIcon { Information, Error, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal message box and returns the user's answer.
    virtual MessageAnswer show(const QString& title, const QString& text, MessageIcon icon,
                               MessageButtons buttons = MessageButtons::Ok) = 0;
};

// The real boxes: QMessageBox with the icon and buttons asked for.
class QtMessageBoxes : public MessageBoxes {
public:
    MessageAnswer show(const QString& title, const QString& text, MessageIcon icon,
                       MessageButtons buttons) override;
};
