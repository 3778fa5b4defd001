// The file list's grid with 10,000 made-up documents, for a person to try:
// click, Shift and Ctrl, arrows, Page Up and Down, Home and End, type into
// the two password columns (or F2), Ctrl+C and Ctrl+V, drag or double-click
// a header divider, scroll with the bars and the wheel.
//
// usage: grid-demo [--rows N] [--snapshot FILE.png]
// With --snapshot the window is drawn once into FILE.png and the program ends.
#include "shell/file_list_grid.h"

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int rows = 10000;
    const char* snapshot = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rows") == 0)
            rows = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--snapshot") == 0)
            snapshot = argv[i + 1];
    }
    CWnd window;
    window.setWindowTitle("Grid");
    window.resize(680, 420);
    CDataGrid grid;
    grid.Create(RECT{10, 10, 670, 410}, &window, 1021);
    SetUpFileListGrid(grid);
    for (int i = 1; i <= rows; ++i) {
        char date[32];
        std::snprintf(date, sizeof date, "%02d:%02d:%02d %02d/%02d/2026", i % 24, i % 60, (i * 7) % 60, 1 + i % 12,
                      1 + i % 28);
        AddFileListEntry(grid, "report-" + std::to_string(i) + ".pdf", std::to_string(3 + (i * 37) % 9000) + " KB",
                         date);
    }
    grid.SetModified(false);
    window.show();
    if (snapshot) {
        grid.SetFocus();
        grid.SetFocusCell(3, 1);
        grid.SetSelectionStart(CGridCellRef(3, 1));
        grid.SelectRows(CGridCellRef(3, 1));
        grid.SetItemText(2, 4, "owner");
        return window.grab().save(snapshot) ? 0 : 1;
    }
    return app.exec();
}
