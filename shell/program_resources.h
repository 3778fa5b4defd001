#pragma once
// The menus, accelerators and texts of the desktop program, read from its
// resources (resources/menus.json and strings.json), so one place holds them.
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

// The text of the string table's entry; "[name]" when there is none, so a
// missing entry shows instead of passing unnoticed.
std::string ResourceString(const std::string& name);
