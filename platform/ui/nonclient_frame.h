#pragma once
// The non-client part of a CWnd: the border (WS_BORDER, WS_EX_CLIENTEDGE),
// the window's own scroll bars and the client widget inside them, as in a
// scroll area with its viewport. The scroll bars keep the SCROLLINFO
// contract: a click or a drag on a bar asks the window with WM_HSCROLL or
// WM_VSCROLL and SB_ codes, and only SetScrollInfo moves the position.
#include "platform/ui/win_types.h"

#include <QObject>
#include <QWidget>

class CWnd;
class QScrollBar;

class CNonClientFrame : public QObject {
public:
    explicit CNonClientFrame(CWnd* window);

    QWidget* Client() { return &client_; }
    // Places the client widget and the bars for the window's styles and size.
    void Layout();
    // Draws the border and the corner between two bars on the window.
    void Paint();

    int SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw);
    BOOL GetScrollInfo(int bar, SCROLLINFO* info) const;
    void ShowScrollBar(int bar, bool show);
    bool IsShown(int bar) const { return shown_[bar]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Bar {
        SCROLLINFO info;
        bool tracking = false;
    };
    void Connect(int bar);
    void Sync(int bar);
    int Inset() const;

    CWnd* window_;
    QWidget client_;
    QScrollBar* bars_[2];
    Bar state_[2];
    bool shown_[2] = {false, false};
    bool releasing_ = false;
};
