// Scale of the grid: the file list's six columns with 1,000, 10,000 and
// 100,000 entries, offscreen. For each size: the time to add the entries one
// at a time (as the job list does) and the memory they take, the time to
// paint a whole window, and the time of a scroll step by a line and by a
// page, each with its repaint. The last column compares each figure with the
// 1,000-entry grid of the same run: a step that grew with the entries would
// show a ratio well above 1.
//
// usage: grid_bench [steps]   (QT_QPA_PLATFORM=offscreen is set when unset)
#include "shell/file_list_grid.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Resident memory of the process in bytes.
long ResidentBytes() {
    std::ifstream status("/proc/self/statm");
    long pages = 0, resident = 0;
    status >> pages >> resident;
    return resident * 4096;
}

struct Figures {
    double build, bytesPerRow, paint, line, page;
};

Figures Measure(int entries, int steps) {
    Figures figures{};
    CWnd window;
    window.resize(680, 420);
    auto* grid = new CDataGrid;
    grid->Create(RECT{10, 10, 670, 410}, &window, 1021);
    window.show();
    QCoreApplication::processEvents();

    const long before = ResidentBytes();
    auto start = std::chrono::steady_clock::now();
    SetUpFileListGrid(*grid);
    for (int i = 1; i <= entries; ++i)
        AddFileListEntry(*grid, "report-" + std::to_string(i) + ".pdf", "123 KB", "10:00:00 12/10/2026");
    figures.build = Seconds(start);
    figures.bytesPerRow = static_cast<double>(ResidentBytes() - before) / entries;

    QWidget* client = grid->ClientWidget();
    client->repaint();
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < steps; ++i)
        client->repaint();
    figures.paint = Seconds(start) / steps;

    // Steps from the middle of the list, each repainted at once.
    auto scroll = [&](int code, int back) {
        grid->SetScrollPos32(SB_VERT, static_cast<int>(grid->GetVirtualHeight() / 2));
        const auto begin = std::chrono::steady_clock::now();
        for (int i = 0; i < steps; ++i) {
            grid->SendMessage(WM_VSCROLL, static_cast<WPARAM>(i % 2 ? back : code));
            client->repaint();
        }
        return Seconds(begin) / steps;
    };
    figures.line = scroll(SB_LINEDOWN, SB_LINEUP);
    figures.page = scroll(SB_PAGEDOWN, SB_PAGEUP);
    window.DestroyWindow();
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int steps = argc > 1 ? std::atoi(argv[1]) : 200;
    Figures reference{};
    std::printf("%-9s %10s %12s %10s %12s %12s %s\n", "entries", "build s", "bytes/row", "paint ms", "line ms",
                "page ms", "paint/line/page vs 1,000");
    for (int entries : {1000, 10000, 100000}) {
        const Figures f = Measure(entries, steps);
        if (entries == 1000)
            reference = f;
        std::printf("%-9d %10.3f %12.0f %10.3f %12.3f %12.3f %.2f / %.2f / %.2f\n", entries, f.build, f.bytesPerRow,
                    f.paint * 1e3, f.line * 1e3, f.page * 1e3, f.paint / reference.paint, f.line / reference.line,
                    f.page / reference.page);
    }
    return 0;
}
