#pragma once
// What every window takes from the application, as on a German Windows
// desk: the icon, the Tahoma font, Qt's own texts in German ("Ja" and
// "Nein" on message boxes, the text boxes' context menu) and dialog buttons
// that show their text alone. Call after QApplication exists; later calls
// change nothing.

void SetUpApplicationLook();
