#pragma once
// Helpers of the window tests: showing a window as the platform exposes it,
// and a window that writes down the messages it receives in readable form.
#include "platform/ui/wnd.h"

#include <QWidget>
#include <set>
#include <string>
#include <vector>

// Shows the top-level window of widget, activates it and waits until the
// platform has exposed it, so that focus and painting behave as on a desktop.
void ShowExposed(QWidget* widget);

// A message as a line: its name, wParam in hex and lParam as a point or a
// number, e.g. "WM_LBUTTONDOWN 0x1 (3,4)".
std::string DescribeMessage(UINT message, WPARAM wParam, LPARAM lParam);
std::string MessageName(UINT message);

// A window that notes each message it receives (except painting and
// timers), then gives it the standard handling. Key messages carry the
// modifiers GetKeyState reports while they are handled: "+S", "+C", "+A".
class JournalWindow : public CWnd {
public:
    explicit JournalWindow(QWidget* parent = nullptr) : CWnd(parent) {}
    std::vector<std::string> journal;
    // Messages left out of the journal.
    std::set<UINT> ignored{WM_PAINT, WM_ERASEBKGND, WM_TIMER, WM_MOVE, WM_SIZE, WM_SETCURSOR, WM_GETDLGCODE};
    // What WM_GETDLGCODE answers.
    LRESULT dialogCode = 0;
    // Names window parameters of focus and context-menu messages instead of addresses.
    std::vector<std::pair<const QWidget*, std::string>> names;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
