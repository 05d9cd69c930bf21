// QuorinRelay: a DICOM relay station that stamps every received image with
// the operator on duty and forwards it to one archive.

#include "app/MainWindow.h"
#include "ui/AppFonts.h"
#include "ui/AppIcon.h"
#include "ui/FrmMain.h"
#include "ui/MessageBoxes.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(AppIcon());
    RegisterTahoma();

    QtMessageBoxes boxes;
    FrmMain form;
    MainWindow window(form, boxes);
    window.load(); // its message boxes appear before the window does
    form.show();
    return app.exec();
}
