// Linked with the program's own main.cpp into a copy of the program for
// tests: a line on its standard input clicks "Beenden" in the main window,
// as a user would. Nothing else differs.

#include "ui/FrmMain.h"

#include <QApplication>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTest>
#include <unistd.h>

namespace {

void ClickBeendenOnRequest()
{
    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, qApp);
    QObject::connect(input, &QSocketNotifier::activated, qApp, [input] {
        char line[64];
        if (::read(STDIN_FILENO, line, sizeof line) <= 0) {
            input->setEnabled(false);
            return;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* form = qobject_cast<FrmMain*>(window))
                QTest::mouseClick(form->cmdClose, Qt::LeftButton);
        }
    });
}

} // namespace

// Runs as the program's application object is made, before its window.
Q_COREAPP_STARTUP_FUNCTION(ClickBeendenOnRequest)
