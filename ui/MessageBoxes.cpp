#include "ui/MessageBoxes.h"

#include "ui/AppIcon.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer QtMessageBoxes::show(const QString& title, const QString& text, MessageIcon icon,
                                   MessageButtons buttons)
{
    const auto qtButtons = buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                            : QMessageBox::StandardButtons(QMessageBox::Ok);
    QMessageBox box(ToQtIcon(icon), title, text, qtButtons);
    box.setWindowIcon(AppIcon());
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}
