#pragma once
// The main window as the shell tests use it: over settings of its own, at
// the size the program opens with, shown, active and exposed.
#include "shell/main_frame.h"
#include "tests/support/gui_support.h"

struct ShownFrame {
    ConvertSettings settings;
    CMainFrame frame{settings, "/usr/share/doc/vellumin/help.html"};
    ShownFrame() {
        frame.resize(1024, 700);
        ShowExposed(&frame);
    }
    CFileListForm& Form() { return frame.Form(); }
};
