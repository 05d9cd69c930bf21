#pragma once
// The program version, shown in the main window's caption.
constexpr int VersionMajor = 1;
constexpr int VersionMinor = 0;
constexpr int VersionRevision = 0;
