#pragma once
// CPercentProgressCtrl: a progress bar that paints itself, with the caption
// or the percentage done centred over it, drawn in the track colour over the
// bar and in the bar colour over the track. Driven by the standard progress
// bar messages.
#include "platform/ui/wnd.h"

#include <string>

enum : UINT {
    PBM_SETRANGE = WM_USER + 1,
    PBM_SETPOS = WM_USER + 2,
    PBM_DELTAPOS = WM_USER + 3,
    PBM_SETSTEP = WM_USER + 4,
    PBM_STEPIT = WM_USER + 5,
    PBM_SETRANGE32 = WM_USER + 6,
    PBM_GETRANGE = WM_USER + 7,
    PBM_GETPOS = WM_USER + 8,
    PBM_SETBARCOLOR = WM_USER + 9,
    PBM_SETBKCOLOR = 0x2001,
    PBM_SETTEXTCOLOR = WM_USER + 100,
    PBM_SHOWTEXT = WM_USER + 101,
};

struct PBRANGE {
    int iLow;
    int iHigh;
};

class CPercentProgressCtrl : public CWnd {
public:
    explicit CPercentProgressCtrl(QWidget* parent = nullptr, bool vertical = false);

    // Typed forms of the messages.
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
    int GetPos() { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    void SetRange32(int minimum, int maximum) {
        SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(minimum), static_cast<LPARAM>(maximum));
    }
    COLORREF SetBarColor(COLORREF c) { return static_cast<COLORREF>(SendMessage(PBM_SETBARCOLOR, 0, c)); }
    COLORREF SetBkColor(COLORREF c) { return static_cast<COLORREF>(SendMessage(PBM_SETBKCOLOR, 0, c)); }
    COLORREF SetTextColor(COLORREF c) { return static_cast<COLORREF>(SendMessage(PBM_SETTEXTCOLOR, 0, c)); }
    void SetShowText(bool on) { SendMessage(PBM_SHOWTEXT, on ? 1 : 0); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT SetPosition(int position);
    void Paint();
    void Repaint() { Invalidate(true); }

    bool vertical_;
    COLORREF textColour_ = CLR_DEFAULT;
    int position_ = 0;
    int step_ = 1;
    int maximum_ = 100;
    int minimum_ = 0;
    std::string caption_;
    bool showText_ = true;
    int lastBarWidth_ = -1;
    COLORREF barColour_ = CLR_DEFAULT;
    COLORREF trackColour_ = CLR_DEFAULT;
    UINT textFormat_ = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
};
