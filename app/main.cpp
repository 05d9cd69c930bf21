// QuorinRelay: a DICOM relay station that stamps every received image with
// the operator on duty and forwards it to one archive.

#include "app/MainWindowWiring.h"
#include "dicom/ToolkitServer.h"
#include "settings/RelaySettings.h"
#include "ui/ApplicationLook.h"
#include "ui/FrmMain.h"
#include "ui/MessageBoxes.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    SetUpApplicationLook();

    int exitCode = 0;
    {
        QtMessageBoxes boxes;
        RelaySettings settings; // empty until loaded: without Settings.ini, until applied
        FrmMain form;
        MainWindowWiring wiring(form, settings, boxes);
        wiring.load(); // its message boxes appear before the window does
        form.show();
        exitCode = app.exec();
    }
    // The window and its server objects are gone (the operator list was
    // saved as it closed): end the associations still running while the
    // toolkit and Qt are whole, rather than let their threads run into
    // the process's exit.
    ToolkitServer::shutDown();
    return exitCode;
}
