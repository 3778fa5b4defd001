// Shows a text progress bar running, a vertical one beside it, a hooked
// window whose hook counts the clicks it sees and swallows right clicks, and
// a scrolled list whose rows are edited in place.
//
// usage: window-utils-demo [--snapshot FILE.png]
// With --snapshot the window is drawn once into FILE.png and the program ends
// (useful with QT_QPA_PLATFORM=offscreen or under Xvfb).
#include "controls/util/percent_progress_ctrl.h"
#include "controls/util/wnd_hook.h"
#include "demo/scrolled_list.h"
#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstring>
#include <string>

namespace {

// A plain window that shows its own text.
class LabelWindow : public CWnd {
public:
    using CWnd::CWnd;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAINT) {
            CPaintDC dc(this);
            dc.FillSolidRect(GetClientRect(), RGB(227, 246, 253));
            RECT area = GetClientRect();
            dc.SetBkMode(TRANSPARENT);
            dc.DrawText(GetWindowText(), area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// Counts left clicks on the window it hooks and swallows right clicks.
class ClickCounter : public CWndHook {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP)
            return 0;
        if (message == WM_LBUTTONDOWN) {
            ++clicks_;
            HookedWindow()->SetWindowText("Hooked window: " + std::to_string(clicks_) + " left clicks seen by the hook");
            HookedWindow()->Invalidate();
        }
        return CWndHook::WindowProc(message, wParam, lParam);
    }

private:
    int clicks_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    CWnd window;
    window.setWindowTitle("Window utilities");
    window.resize(420, 330);

    CPercentProgressCtrl bar(&window);
    bar.setGeometry(10, 10, 360, 24);
    CPercentProgressCtrl captioned(&window);
    captioned.setGeometry(10, 44, 360, 24);
    captioned.SetWindowText("Waiting for converting.");
    CPercentProgressCtrl vertical(&window, true);
    vertical.setGeometry(380, 10, 24, 140);
    vertical.SetBarColor(RGB(0, 160, 0));

    LabelWindow label(&window);
    label.setGeometry(10, 80, 360, 70);
    label.SetWindowText("Hooked window: click it (right clicks are swallowed)");
    ClickCounter counter;
    counter.HookWindow(&label);

    std::vector<std::string> rows;
    for (int i = 1; i <= 200; ++i)
        rows.push_back("Row " + std::to_string(i) + ": double-click, F2 or type to edit");
    CScrolledList list(rows);
    list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP, RECT{10, 160, 410, 320}, &window, 100);

    int position = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        position = (position + 1) % 101;
        bar.SetPos(position);
        captioned.SetPos(position);
        vertical.SetPos(position);
        if (position == 100)
            captioned.SetWindowText("Convert Finished");
        else if (position == 1)
            captioned.SetWindowText("");
    });
    timer.start(50);
    window.show();

    if (argc == 3 && std::strcmp(argv[1], "--snapshot") == 0) {
        bar.SetPos(42);
        vertical.SetPos(42);
        return window.grab().save(argv[2]) ? 0 : 1;
    }
    return app.exec();
}
