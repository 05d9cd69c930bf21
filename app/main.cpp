// QuorinRelay: a DICOM relay station that stamps every received image with
// the operator on duty and forwards it to one archive.

#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "dicom/ToolkitServer.h"
#include "ui/AppFonts.h"
#include "ui/AppIcon.h"
#include "ui/FrmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Nagle's algorithm would hold back every DICOM response on our sockets;
    // the toolkit reads this before it opens the first one.
    qputenv("TCP_NODELAY", "1");

    QApplication app(argc, argv);
    app.setWindowIcon(AppIcon());
    RegisterTahoma();

    int exitCode = 0;
    {
        QtMessageBoxes boxes;
        FrmMain form;
        MainWindow window(form, boxes);
        window.load(); // its message boxes appear before the window does
        form.show();
        exitCode = app.exec();
    }
    // The window and its server objects are gone (the operator list was
    // saved as it closed): end the associations still running while the
    // toolkit and Qt are whole, rather than let their threads run into
    // the process's exit.
    ToolkitServer::ShutDown();
    return exitCode;
}
