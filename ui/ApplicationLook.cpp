#include "ui/ApplicationLook.h"

#include "ui/AppFonts.h"
#include "ui/AppIcon.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

namespace {

// Some desktops give the buttons of message boxes and dialogs stock icons (a
// green tick on "Ja", a red cross on "Nein"); Windows shows the text alone.
class PlainDialogButtonsStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Qt's translations lie where Qt was installed, or beside the program where
// it was deployed with it. Without them Qt's texts stay English.
void LoadQtGermanTexts()
{
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

void SetUpApplicationLook()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    QApplication::setWindowIcon(AppIcon());
    RegisterTahoma();
    LoadQtGermanTexts();
    // The desktop's own style, only without the icons on dialog buttons.
    QApplication::setStyle(new PlainDialogButtonsStyle(QStyleFactory::create(QApplication::style()->name())));
}
