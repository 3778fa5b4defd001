#include "controls/bars/tool_bar.h"

#include "controls/bars/cool_bar.h"
#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace {

// Padding around a button's text or image, the width of a separator.
constexpr int kTextPadding = 6;
constexpr int kImagePadding = 7;
constexpr int kSeparatorWidth = 8;

} // namespace

CSizedToolBar::CSizedToolBar(QWidget* parent) : CWnd(parent) {
    setMouseTracking(true); // flat buttons light up under the mouse
}

void CSizedToolBar::AddButton(const TBBUTTON& button) {
    buttons_.push_back({button, SIZE{}});
    buttons_.back().size = MeasureButton(ButtonCount() - 1);
    LayOut();
}

void CSizedToolBar::DeleteButton(int index) {
    if (index < 0 || index >= ButtonCount())
        return;
    buttons_.erase(buttons_.begin() + index);
    if (hot_ >= ButtonCount())
        hot_ = -1;
    LayOut();
}

bool CSizedToolBar::IsButtonEnabled(int index) const {
    return index >= 0 && index < ButtonCount() && (GetButton(index).fsState & TBSTATE_ENABLED) &&
           !(GetButton(index).fsStyle & TBSTYLE_SEP);
}

void CSizedToolBar::PressButton(int index, bool pressed) {
    if (index < 0 || index >= ButtonCount())
        return;
    uint8_t& state = buttons_[index].button.fsState;
    state = pressed ? (state | TBSTATE_PRESSED) : (state & ~TBSTATE_PRESSED);
    Invalidate();
}

void CSizedToolBar::SetHotItem(int index) {
    if (index == hot_)
        return;
    hot_ = index;
    Invalidate();
}

void CSizedToolBar::SetImageList(std::vector<QImage> images) {
    images_ = std::move(images);
    for (int i = 0; i < ButtonCount(); ++i)
        buttons_[i].size = MeasureButton(i);
    LayOut();
}

const QImage* CSizedToolBar::CommandImage(unsigned command) const {
    for (const MeasuredButton& measured : buttons_) {
        const TBBUTTON& button = measured.button;
        if (static_cast<unsigned>(button.idCommand) == command && button.iBitmap >= 0 &&
            button.iBitmap < static_cast<int>(images_.size()) && !(button.fsStyle & TBSTYLE_SEP))
            return &images_[button.iBitmap];
    }
    return nullptr;
}

QFont CSizedToolBar::BarFont() { return GetFont() ? GetFont()->Font() : font(); }

SIZE CSizedToolBar::MeasureButton(int index) const {
    const TBBUTTON& button = buttons_.at(index).button;
    if (button.fsStyle & TBSTYLE_SEP)
        return SIZE{kSeparatorWidth, 22};
    const QFontMetrics metrics(const_cast<CSizedToolBar*>(this)->BarFont());
    SIZE size{0, metrics.height() + 2 * kTextPadding - 4};
    if (button.iString >= 0 && button.iString < strings_.Count()) {
        const QString text = QString::fromStdString(strings_.Text(button.iString)).remove(QLatin1Char('&'));
        size.cx = metrics.horizontalAdvance(text) + 2 * kTextPadding;
    }
    if (button.iBitmap >= 0 && button.iBitmap < static_cast<int>(images_.size())) {
        const QImage& image = images_[button.iBitmap];
        size.cx += image.width() + (size.cx ? 0 : kImagePadding);
        size.cy = std::max(size.cy, image.height() + kImagePadding);
    }
    return size;
}

void CSizedToolBar::LayOut() {
    const RECT insets = BorderInsets();
    places_.clear();
    int x = insets.left, y = insets.top, rowHeight = 0;
    for (const MeasuredButton& measured : buttons_) {
        const SIZE size = (measured.button.fsState & TBSTATE_HIDDEN) ? SIZE{} : ButtonLayoutSize(measured, flat_);
        places_.push_back(RECT{x, y, x + size.cx, y + size.cy});
        x += size.cx;
        rowHeight = std::max(rowHeight, size.cy);
        if (measured.button.fsState & TBSTATE_WRAP) {
            x = insets.left;
            y += rowHeight;
            rowHeight = 0;
        }
    }
    Invalidate();
}

RECT CSizedToolBar::GetItemRect(int index) const {
    return index >= 0 && index < static_cast<int>(places_.size()) ? places_[index] : RECT{};
}

int CSizedToolBar::HitTest(POINT point) const {
    const RECT client = GetClientRect();
    if (!client.PtInRect(point))
        return -1;
    for (int i = 0; i < ButtonCount(); ++i)
        if (!(GetButton(i).fsState & TBSTATE_HIDDEN) && places_[i].PtInRect(point))
            return i;
    return -1;
}

void CSizedToolBar::AutoSize() {
    for (int i = 0; i < ButtonCount(); ++i)
        buttons_[i].size = MeasureButton(i);
    const SIZE size = CalcDynamicLayout(-1, LM_HORZ | LM_COMMIT);
    resize(size.cx, size.cy);
}

SIZE CSizedToolBar::CalcFixedLayout(bool stretch, bool horizontal) {
    return CalcDynamicLayout(-1, (stretch ? uint32_t{LM_STRETCH} : 0u) | (horizontal ? uint32_t{LM_HORZ} : 0u));
}

SIZE CSizedToolBar::CalcDynamicLayout(int length, uint32_t mode) {
    const RECT insets = BorderInsets();
    if (length < 0)
        WrapToolBar(buttons_, (mode & (LM_HORZ | LM_HORZDOCK)) ? 32767 : 0);
    else if (mode & LM_LENGTHY)
        SizeToFitHeight(buttons_, length - insets.top - insets.bottom, flat_);
    else
        SizeToFitWidth(buttons_, length - insets.left - insets.right, flat_);
    const SIZE size = WrappedToolBarSize(buttons_, flat_);
    if (mode & LM_COMMIT)
        LayOut();
    return SIZE{size.cx + insets.left + insets.right, size.cy + insets.top + insets.bottom};
}

void CSizedToolBar::DrawButton(QPainter& painter, int index, const RECT& rect) {
    const TBBUTTON& button = GetButton(index);
    if (button.fsStyle & TBSTYLE_SEP) {
        const int middle = (rect.left + rect.right) / 2;
        painter.fillRect(QRect(middle - 1, rect.top + 2, 1, rect.Height() - 4), ToQColor(GetSysColor(COLOR_BTNSHADOW)));
        painter.fillRect(QRect(middle, rect.top + 2, 1, rect.Height() - 4), ToQColor(GetSysColor(COLOR_BTNHIGHLIGHT)));
        return;
    }
    const bool enabled = (button.fsState & TBSTATE_ENABLED) != 0;
    const bool pressed = (button.fsState & (TBSTATE_PRESSED | TBSTATE_CHECKED)) != 0;
    if (enabled && (pressed || index == hot_)) {
        // Flat buttons show an edge only under the mouse or while pressed.
        CDC dc(&painter);
        dc.Draw3dRect(rect, GetSysColor(pressed ? int{COLOR_BTNSHADOW} : int{COLOR_BTNHIGHLIGHT}),
                      GetSysColor(pressed ? int{COLOR_BTNHIGHLIGHT} : int{COLOR_BTNSHADOW}));
    }
    const int shift = pressed ? 1 : 0;
    RECT content{rect.left + shift, rect.top + shift, rect.right + shift, rect.bottom + shift};
    if (button.iBitmap >= 0 && button.iBitmap < static_cast<int>(images_.size())) {
        const QImage& image = images_[button.iBitmap];
        painter.drawImage(content.left + kImagePadding / 2, (content.top + content.bottom - image.height()) / 2, image);
        content.left += image.width() + kImagePadding / 2;
    }
    if (button.iString >= 0 && button.iString < strings_.Count()) {
        painter.setFont(BarFont());
        painter.setPen(ToQColor(GetSysColor(enabled ? int{COLOR_BTNTEXT} : int{COLOR_GRAYTEXT})));
        painter.drawText(ToQRect(content), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                         QString::fromStdString(strings_.Text(button.iString)));
    }
}

void CSizedToolBar::Paint() {
    CPaintDC paint(this);
    CMemDC dc(paint.Painter(), paint.ClipBox());
    QPainter& painter = *dc.Painter();
    painter.fillRect(rect(), ToQColor(kBandColor));
    PaintBorders(painter);
    for (int i = 0; i < ButtonCount(); ++i)
        if (!(GetButton(i).fsState & TBSTATE_HIDDEN))
            DrawButton(painter, i, places_[i]);
}

LRESULT CSizedToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        reinterpret_cast<CDC*>(wParam)->FillSolidRect(GetClientRect(), kBandColor);
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SETFONT: {
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        for (int i = 0; i < ButtonCount(); ++i)
            buttons_[i].size = MeasureButton(i);
        LayOut();
        return result;
    }
    case WM_MOUSEMOVE: {
        const int button = HitTest(PointFromParam(lParam));
        SetHotItem(flat_ && IsButtonEnabled(button) ? button : -1);
        TrackMouseEvent(TME_LEAVE);
        return 0;
    }
    case WM_MOUSELEAVE:
        SetHotItem(-1);
        return 0;
    case WM_LBUTTONDOWN: {
        const int button = HitTest(PointFromParam(lParam));
        if (IsButtonEnabled(button)) {
            pressedByMouse_ = button;
            PressButton(button, true);
            SetCapture();
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        const int pressed = pressedByMouse_;
        if (pressed < 0)
            return 0;
        pressedByMouse_ = -1;
        PressButton(pressed, false);
        ReleaseCapture();
        if (HitTest(PointFromParam(lParam)) == pressed) {
            CWnd* target = GetOwner() ? GetOwner() : GetParent();
            if (target)
                target->SendMessage(WM_COMMAND, static_cast<WPARAM>(GetButton(pressed).idCommand), 0);
        }
        return 0;
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

LRESULT CFlatToolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        // Inside a cool bar the toolbar is a plain child: the bar draws the band.
        inRebar_ = dynamic_cast<CCoolBar*>(GetParent()) != nullptr;
        ModifyStyle(0, TBSTYLE_FLAT);
    }
    return CSizedToolBar::WindowProc(message, wParam, lParam);
}

RECT CFlatToolBar::BorderInsets() const { return inRebar_ ? RECT{} : RECT{2, 2, 2, 2}; }

void CFlatToolBar::PaintBorders(QPainter& painter) {
    if (inRebar_)
        return;
    // Outside a cool bar the toolbar draws its own etched edge.
    const RECT client = GetClientRect();
    CDC dc(&painter);
    dc.Draw3dRect(client, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}
