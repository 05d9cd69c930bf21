#pragma once
// Windows-1252 ("ANSI" on a German Windows): the 8-bit text of Settings.ini
// and Log/Debug.txt. Both files stay in that code page, so a file written or
// edited on a Windows station loads unchanged and ours reads the same there.

#include <QByteArray>
#include <QString>

// Encodes text as Windows-1252. Characters the code page cannot hold become
// '?', as the Windows conversion does; *lossless tells whether that happened.
QByteArray EncodeCp1252(const QString& text, bool* lossless = nullptr);

// Decodes Windows-1252 bytes. The five unassigned bytes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, as Windows does.
QString DecodeCp1252(const QByteArray& bytes);

// True when every character of text survives EncodeCp1252.
bool IsCp1252Encodable(const QString& text);
