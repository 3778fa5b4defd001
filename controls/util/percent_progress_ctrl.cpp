#include "controls/util/percent_progress_ctrl.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"

#include <cstdint>
#include <cstdio>

namespace {

// The share done of a whole (pixels, or 100 for the percentage), in integer
// arithmetic so that 29 of 0..100 is 29%; an empty range counts as nothing done.
int Share(int whole, int position, int minimum, int maximum) {
    if (maximum <= minimum)
        return 0;
    return static_cast<int>(static_cast<int64_t>(whole) * (static_cast<int64_t>(position) - minimum) /
                            (static_cast<int64_t>(maximum) - minimum));
}

COLORREF Swap(COLORREF& field, COLORREF value) {
    COLORREF old = field;
    field = value;
    return old;
}

} // namespace

CPercentProgressCtrl::CPercentProgressCtrl(QWidget* parent, bool vertical) : CWnd(parent), vertical_(vertical) {}

LRESULT CPercentProgressCtrl::SetPosition(int position) {
    const int old = position_;
    position_ = position;
    const int width = Share(GetClientRect().Width(), position_, minimum_, maximum_);
    if (width != lastBarWidth_) {
        lastBarWidth_ = width;
        RedrawWindow(RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return old;
}

LRESULT CPercentProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case PBM_SETRANGE:
        minimum_ = LOWORD(static_cast<uintptr_t>(lParam));
        maximum_ = HIWORD(static_cast<uintptr_t>(lParam));
        return 0;
    case PBM_SETPOS:
        return SetPosition(static_cast<int>(wParam));
    case PBM_DELTAPOS:
        return SetPosition(position_ + static_cast<int>(wParam));
    case PBM_SETSTEP: {
        const int old = step_;
        step_ = static_cast<int>(wParam);
        return old;
    }
    case PBM_STEPIT:
        return SetPosition(position_ + step_);
    case PBM_SETRANGE32:
        minimum_ = static_cast<int>(wParam);
        maximum_ = static_cast<int>(lParam);
        return 0;
    case PBM_GETRANGE:
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam))
            *range = PBRANGE{minimum_, maximum_};
        return wParam ? minimum_ : maximum_;
    case PBM_GETPOS:
        return position_;
    case PBM_SETBARCOLOR:
        Repaint();
        return Swap(barColour_, static_cast<COLORREF>(lParam));
    case PBM_SETBKCOLOR:
        Repaint();
        return Swap(trackColour_, static_cast<COLORREF>(lParam));
    case PBM_SETTEXTCOLOR:
        Repaint();
        return Swap(textColour_, static_cast<COLORREF>(lParam));
    case PBM_SHOWTEXT: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        const bool on = wParam != 0;
        if (on != showText_)
            Repaint();
        showText_ = on;
        return result;
    }
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        const char* text = reinterpret_cast<const char*>(lParam);
        const std::string value = text ? text : "";
        if (value != caption_) {
            caption_ = value;
            Repaint();
        }
        return result;
    }
    case WM_GETTEXT:
        return CopyText(caption_, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(caption_.size());
    case WM_SIZE: {
        const LRESULT result = DefWindowProc(message, wParam, lParam);
        lastBarWidth_ = -1;
        return result;
    }
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT:
        Paint();
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CPercentProgressCtrl::Paint() {
    CPaintDC paintDc(this);
    if (minimum_ >= maximum_)
        return;
    const COLORREF bar = barColour_ == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : barColour_;
    const COLORREF track = trackColour_ == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : trackColour_;

    CMemDC dc(paintDc.Painter(), paintDc.ClipBox());
    dc.SelectFont(GetParent() ? GetParent()->font() : font());
    const RECT client = GetClientRect();
    RECT barRect = client, trackRect = client;
    if (vertical_) {
        const int y = client.bottom - Share(client.Height(), position_, minimum_, maximum_);
        barRect.top = y;
        trackRect.bottom = y;
    } else {
        const int x = client.left + Share(client.Width(), position_, minimum_, maximum_);
        barRect.right = x;
        trackRect.left = x;
    }
    dc.FillSolidRect(barRect, bar);
    dc.FillSolidRect(trackRect, track);

    if (!showText_ || vertical_)
        return;
    char percent[32];
    std::snprintf(percent, sizeof percent, "%d%%", Share(100, position_, minimum_, maximum_));
    const std::string text = caption_.empty() ? percent : caption_;
    dc.SetBkMode(TRANSPARENT);
    RECT area = client;
    dc.SelectClipRect(&barRect);
    dc.SetTextColor(textColour_ == CLR_DEFAULT ? track : textColour_);
    dc.DrawText(text, area, textFormat_);
    dc.SelectClipRect(&trackRect);
    dc.SetTextColor(textColour_ == CLR_DEFAULT ? bar : textColour_);
    dc.DrawText(text, area, textFormat_);
    dc.SelectClipRect(nullptr);
}
