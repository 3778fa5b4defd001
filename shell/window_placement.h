#pragma once
// The main window's place, size and maximised state and the splitter's
// position, kept in Settings.ini under [Window] when the program ends and
// put back at its next start, moved and shrunk as needed to lie within the
// available area of a screen.
#include <string>

class CMainFrame;

void SaveWindowPlacement(CMainFrame& frame, const std::string& settingsPath);
// Before the window shows; nothing changes when none was kept.
void RestoreWindowPlacement(CMainFrame& frame, const std::string& settingsPath);
