#include "platform/ui/nonclient_frame.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"
#include "platform/ui/wnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace {

constexpr UINT kScrollMessage[2] = {WM_HSCROLL, WM_VSCROLL};

int MaxPosition(const SCROLLINFO& info) {
    return info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0);
}

bool CanScroll(const SCROLLINFO& info) { return info.nMin < MaxPosition(info); }

} // namespace

CNonClientFrame::CNonClientFrame(CWnd* window) : QObject(window), window_(window), client_(window) {
    client_.setAutoFillBackground(false);
    client_.setAttribute(Qt::WA_OpaquePaintEvent);
    client_.setMouseTracking(true);
    client_.installEventFilter(window);
    for (int bar : {SB_HORZ, SB_VERT}) {
        bars_[bar] = new QScrollBar(bar == SB_HORZ ? Qt::Horizontal : Qt::Vertical, window);
        bars_[bar]->setFocusPolicy(Qt::NoFocus);
        bars_[bar]->hide();
        bars_[bar]->installEventFilter(this);
        Connect(bar);
    }
    // Child windows made before the frame move into the client area.
    for (QObject* child : window->children())
        if (auto* widget = qobject_cast<QWidget*>(child);
            widget && widget != &client_ && widget != bars_[0] && widget != bars_[1])
            widget->setParent(&client_), widget->show();
    client_.show();
    Layout();
}

void CNonClientFrame::Connect(int bar) {
    QScrollBar* scrollBar = bars_[bar];
    QObject::connect(scrollBar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
        QScrollBar* scrollBar = bars_[bar];
        int code;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
        case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
        case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
        case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
        case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
        case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
        case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
        default: return;
        }
        int track = 0;
        if (code == SB_THUMBTRACK) {
            state_[bar].tracking = true;
            track = state_[bar].info.nTrackPos = scrollBar->sliderPosition();
        } else {
            // The bar does not move by itself: the window answers with SetScrollInfo.
            scrollBar->setSliderPosition(state_[bar].info.nPos);
        }
        window_->SendMessage(kScrollMessage[bar], MAKELPARAM(code, track), 0);
    });
}

bool CNonClientFrame::eventFilter(QObject* watched, QEvent* event) {
    const int bar = watched == bars_[SB_HORZ] ? SB_HORZ : watched == bars_[SB_VERT] ? SB_VERT : -1;
    if (bar < 0 || releasing_)
        return false;
    if (event->type() == QEvent::Wheel) {
        // The wheel over a bar is the window's wheel along that bar: over
        // the horizontal one, a turn away from the user scrolls to the left.
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint angle = wheel->angleDelta(), pixels = wheel->pixelDelta();
        const bool alongTheBar = bar == SB_HORZ && angle.x() == 0;
        QWheelEvent copy(client_.mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                         alongTheBar ? QPoint(pixels.y(), 0) : pixels, alongTheBar ? QPoint(angle.y(), 0) : angle,
                         wheel->buttons(), wheel->modifiers(), wheel->phase(), wheel->inverted());
        QApplication::sendEvent(&client_, &copy);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        releasing_ = true; // the bar finishes its own action first
        QApplication::sendEvent(bars_[bar], event);
        releasing_ = false;
        if (state_[bar].tracking) {
            state_[bar].tracking = false;
            window_->SendMessage(kScrollMessage[bar], MAKELPARAM(SB_THUMBPOSITION, state_[bar].info.nTrackPos), 0);
            Sync(bar);
        }
        window_->SendMessage(kScrollMessage[bar], SB_ENDSCROLL, 0);
        return true;
    }
    return false;
}

int CNonClientFrame::Inset() const {
    int inset = 0;
    if (window_->GetStyle() & WS_BORDER)
        inset += GetSystemMetrics(SM_CXBORDER);
    if (window_->GetExStyle() & WS_EX_CLIENTEDGE)
        inset += GetSystemMetrics(SM_CXEDGE);
    return inset;
}

void CNonClientFrame::Layout() {
    const int inset = Inset();
    const int barWidth = shown_[SB_VERT] ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int barHeight = shown_[SB_HORZ] ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    const int width = std::max(window_->width() - 2 * inset - barWidth, 0);
    const int height = std::max(window_->height() - 2 * inset - barHeight, 0);
    SetGeometryNow(&client_, QRect(inset, inset, width, height));
    bars_[SB_VERT]->setGeometry(inset + width, inset, barWidth, height);
    bars_[SB_HORZ]->setGeometry(inset, inset + height, width, barHeight);
    bars_[SB_VERT]->setVisible(shown_[SB_VERT]);
    bars_[SB_HORZ]->setVisible(shown_[SB_HORZ]);
    window_->update();
}

void CNonClientFrame::Paint() {
    QPainter painter(window_);
    CDC dc(&painter);
    RECT rect{0, 0, window_->width(), window_->height()};
    if (window_->GetStyle() & WS_BORDER) {
        dc.FrameRect(rect, GetSysColor(COLOR_WINDOWFRAME));
        rect.DeflateRect(GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER));
    }
    if (window_->GetExStyle() & WS_EX_CLIENTEDGE)
        dc.DrawEdge(rect, EDGE_SUNKEN);
    if (shown_[SB_HORZ] && shown_[SB_VERT]) {
        const QRect client = client_.geometry();
        dc.FillSolidRect(RECT{client.right() + 1, client.bottom() + 1, client.right() + 1 + bars_[SB_VERT]->width(),
                              client.bottom() + 1 + bars_[SB_HORZ]->height()},
                         GetSysColor(COLOR_BTNFACE));
    }
}

int CNonClientFrame::SetScrollInfo(int bar, const SCROLLINFO& info, bool) {
    SCROLLINFO& state = state_[bar].info;
    bool changed = false;
    if ((info.fMask & SIF_PAGE) && state.nPage != info.nPage) {
        state.nPage = info.nPage;
        changed = true;
    }
    if ((info.fMask & SIF_RANGE) && info.nMin <= info.nMax && (state.nMin != info.nMin || state.nMax != info.nMax)) {
        state.nMin = info.nMin;
        state.nMax = info.nMax;
        changed = true;
    }
    state.nPage = std::min(state.nPage, static_cast<UINT>(state.nMax - state.nMin + 1));
    if (info.fMask & SIF_POS)
        state.nPos = info.nPos;
    state.nPos = std::clamp(state.nPos, state.nMin, std::max(state.nMin, MaxPosition(state)));

    bool enabled = bars_[bar]->isEnabled();
    if (!CanScroll(state)) {
        if (info.fMask & SIF_DISABLENOSCROLL)
            enabled = false;
        else if (changed)
            ShowScrollBar(bar, false);
    } else {
        if (info.fMask != SIF_PAGE)
            enabled = true;
        if (changed)
            ShowScrollBar(bar, true);
    }
    bars_[bar]->setEnabled(enabled);
    Sync(bar);
    return state.nPos;
}

void CNonClientFrame::Sync(int bar) {
    const SCROLLINFO& state = state_[bar].info;
    QScrollBar* scrollBar = bars_[bar];
    if (scrollBar->isSliderDown())
        return; // the user's drag keeps the thumb until it ends
    const QSignalBlocker quiet(scrollBar);
    scrollBar->setRange(state.nMin, std::max(state.nMin, MaxPosition(state)));
    scrollBar->setPageStep(std::max(static_cast<int>(state.nPage), 1));
    scrollBar->setValue(state.nPos);
}

BOOL CNonClientFrame::GetScrollInfo(int bar, SCROLLINFO* info) const {
    if (!info || bar < SB_HORZ || bar > SB_VERT)
        return 0;
    const SCROLLINFO& state = state_[bar].info;
    if (info->fMask & SIF_RANGE)
        info->nMin = state.nMin, info->nMax = state.nMax;
    if (info->fMask & SIF_PAGE)
        info->nPage = state.nPage;
    if (info->fMask & SIF_POS)
        info->nPos = state.nPos;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = state_[bar].tracking ? state.nTrackPos : state.nPos;
    return 1;
}

void CNonClientFrame::ShowScrollBar(int bar, bool show) {
    bool changed = false;
    for (int b : {SB_HORZ, SB_VERT})
        if ((bar == b || bar == SB_BOTH) && shown_[b] != show) {
            shown_[b] = show;
            changed = true;
        }
    if (changed)
        Layout();
}
