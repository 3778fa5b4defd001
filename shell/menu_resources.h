#pragma once
// The menus and accelerators, read from the program's resources
// (resources/menus.json), so one place holds their texts and ids.
#include "platform/ui/ui_services.h"

#include <string>
#include <vector>

struct MenuPopup {
    std::string text;                   // "&File"
    std::vector<PopupMenuEntry> items;  // command 0: a separator
};

// Menu 165 (the main window's) or 137 (the file list's context menu).
std::vector<MenuPopup> LoadMenu(int id);

struct Accelerator {
    std::string keys; // "Ctrl+O", "Shift+F5", "Del"
    unsigned command;
};
std::vector<Accelerator> LoadAccelerators();
