#include "controls/bars/icon_button.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"

#include <QPainter>

namespace {

// Every pixel that is not black (nor transparent) changed by f.
QImage Recoloured(const QImage& icon, QRgb (*change)(QRgb)) {
    QImage copy = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < copy.height(); ++y)
        for (int x = 0; x < copy.width(); ++x) {
            const QRgb pixel = copy.pixel(x, y);
            if (qAlpha(pixel) && (qRed(pixel) || qGreen(pixel) || qBlue(pixel)))
                copy.setPixel(x, y, change(pixel));
        }
    return copy;
}

} // namespace

CIconButton::CIconButton(QWidget* parent) : CWnd(parent) { setMouseTracking(true); }

QImage CIconButton::Darker(const QImage& icon) {
    return Recoloured(icon, [](QRgb p) {
        return qRgba(qRed(p) * 3 / 4, qGreen(p) * 3 / 4, qBlue(p) * 3 / 4, qAlpha(p));
    });
}

QImage CIconButton::Grey(const QImage& icon) {
    return Recoloured(icon, [](QRgb p) {
        const int grey = static_cast<int>(0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p));
        return qRgba(grey, grey, grey, qAlpha(p));
    });
}

void CIconButton::SetIcon(const QImage& icon, int second) {
    icon_ = icon;
    second_ = second == ICON_SECOND_DARKER ? Darker(icon) : second == ICON_SECOND_GREY ? Grey(icon) : QImage();
    Invalidate();
}

void CIconButton::SetTooltipText(const std::string& text, bool activate) {
    setToolTip(activate ? QString::fromLocal8Bit(text.c_str()) : QString());
}

const QImage& CIconButton::CurrentIcon() const { return !isEnabled() && !second_.isNull() ? second_ : icon_; }

void CIconButton::Paint() {
    CPaintDC paint(this);
    CMemDC dc(paint.Painter(), paint.ClipBox());
    const RECT client = GetClientRect();
    dc.FillSolidRect(client, GetSysColor(COLOR_BTNFACE));
    if (pressed_)
        dc.Draw3dRect(client, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    else if (hover_)
        dc.Draw3dRect(client, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    const QImage& icon = CurrentIcon();
    const int shift = pressed_ ? 1 : 0;
    if (!icon.isNull())
        dc.Painter()->drawImage(
            QPoint((client.right - icon.width()) / 2 + shift, (client.bottom - icon.height()) / 2 + shift), icon);
    // The button with the keyboard focus, which Space and Return press, shows it.
    if (hasFocus()) {
        RECT focus = client;
        focus.DeflateRect(3, 3);
        dc.DrawFocusRect(focus, GetSysColor(COLOR_BTNTEXT));
    }
}

void CIconButton::Click() {
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELPARAM(GetDlgCtrlID(), BN_CLICKED)),
                            reinterpret_cast<LPARAM>(this));
}

LRESULT CIconButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_MOUSEMOVE:
        if (!hover_) {
            hover_ = true;
            TrackMouseEvent(TME_LEAVE);
            Invalidate(false);
        }
        return 0;
    case WM_MOUSELEAVE:
    case WM_KILLFOCUS:
        if (hover_ || message == WM_KILLFOCUS) {
            hover_ = false;
            Invalidate(false);
        }
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_SETFOCUS:
        Invalidate(false);
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: // a double click is a second click
        pressed_ = true;
        SetCapture();
        Invalidate(false);
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (GetCapture() == this)
            ReleaseCapture();
        Invalidate(false);
        if (wasPressed && GetClientRect().PtInRect(PointFromParam(static_cast<uintptr_t>(lParam)))) {
            SetFocus();
            Click();
        }
        return 0;
    }
    case WM_ENABLE:
        if (!wParam) {
            hover_ = false;
            if (hasFocus())
                focusNextPrevChild(true); // the focus moves on to the next control
        }
        Invalidate(false);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
