#include "platform/ui/wnd.h"

#include "platform/ui/dc.h"
#include "platform/ui/nonclient_frame.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <cstring>

namespace {

// The widget a window's children and drawing belong to.
QWidget* ClientOf(QWidget* parent) {
    auto* window = dynamic_cast<CWnd*>(parent);
    return window ? window->ClientWidget() : parent;
}

thread_local QPointer<CWnd> captureWindow;

} // namespace

CurrentMessage& ThreadCurrentMessage() {
    static thread_local CurrentMessage current;
    return current;
}

CWnd::CWnd(QWidget* parent) : QWidget(ClientOf(parent)) {}

CWnd::~CWnd() {
    if (!destroyed_)
        DestroyWindow();
}

BOOL CWnd::Create(uint32_t style, const RECT& rect, CWnd* parent, UINT id, uint32_t exStyle) {
    // Sizes are told after WM_CREATE, as the system does.
    creating_ = true;
    if (parent)
        setParent(parent->ClientWidget());
    id_ = id;
    style_ = style;
    exStyle_ = exStyle;
    MoveWindow(rect, false);
    ApplyStyles();
    const bool refused = SendMessage(WM_CREATE) == -1;
    creating_ = false;
    if (refused) {
        DestroyWindow();
        return 0;
    }
    const RECT client = GetClientRect();
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    setVisible((style & WS_VISIBLE) != 0);
    return 1;
}

void CWnd::ModifyStyle(uint32_t remove, uint32_t add) {
    style_ = (style_ & ~remove) | add;
    ApplyStyles();
}

void CWnd::ModifyStyleEx(uint32_t remove, uint32_t add) {
    exStyle_ = (exStyle_ & ~remove) | add;
    ApplyStyles();
}

void CWnd::ApplyStyles() {
    if (!hosted_)
        setFocusPolicy((style_ & WS_TABSTOP) ? Qt::TabFocus : Qt::NoFocus);
    setEnabled((style_ & WS_DISABLED) == 0);
    if (frame_ || (style_ & (WS_BORDER | WS_HSCROLL | WS_VSCROLL)) || (exStyle_ & WS_EX_CLIENTEDGE)) {
        CNonClientFrame& frame = Frame();
        frame.ShowScrollBar(SB_HORZ, (style_ & WS_HSCROLL) != 0);
        frame.ShowScrollBar(SB_VERT, (style_ & WS_VSCROLL) != 0);
        frame.Layout();
    }
}

CNonClientFrame& CWnd::Frame() {
    if (!frame_) {
        frame_ = std::make_unique<CNonClientFrame>(this);
        if (hosted_)
            hosted_->setParent(frame_->Client()), hosted_->show();
    }
    return *frame_;
}

void CWnd::DestroyWindow() {
    if (destroyed_)
        return;
    SendMessage(WM_DESTROY);
    for (QWidget* widget : findChildren<QWidget*>())
        if (auto* child = dynamic_cast<CWnd*>(widget); child && child->GetParent() == this)
            child->DestroyWindow();
    if (captureWindow == this)
        ReleaseCapture();
    for (const auto& timer : timers_)
        killTimer(timer.first);
    timers_.clear();
    hide();
    // The last message: the window may delete itself while handling it.
    destroyed_ = true;
    Dispatch(WM_NCDESTROY, 0, 0);
}

CWnd::WNDPROC CWnd::SetWindowProc(WNDPROC procedure) {
    WNDPROC previous = windowProc_;
    windowProc_ = procedure;
    return previous;
}

LRESULT CWnd::CallWindowProc(WNDPROC procedure, CWnd* window, UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure(window, message, wParam, lParam);
}

LRESULT CWnd::CopyText(const std::string& text, WPARAM size, LPARAM buffer) {
    if (size == 0 || !buffer)
        return 0;
    const size_t copied = std::min(static_cast<size_t>(size) - 1, text.size());
    std::memcpy(reinterpret_cast<char*>(buffer), text.data(), copied);
    reinterpret_cast<char*>(buffer)[copied] = '\0';
    return static_cast<LRESULT>(copied);
}

QWidget* CWnd::WindowOf(QWidget* widget) {
    if (!widget || dynamic_cast<CWnd*>(widget))
        return widget;
    for (QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
        if (auto* window = dynamic_cast<CWnd*>(up))
            return window->hosted_ == widget || window->ClientWidget() == widget ? window : widget;
    return widget;
}

LRESULT CWnd::StandardWindowProc(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam) {
    return window->WindowProc(message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, QEvent* event, QWidget* source) {
    CurrentMessage saved = ThreadCurrentMessage();
    ThreadCurrentMessage() = CurrentMessage{this, message, wParam, lParam, event, source ? source : this};
    LRESULT result = windowProc_(this, message, wParam, lParam);
    ThreadCurrentMessage() = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProc(message, wParam, lParam); }

bool CWnd::ControlMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; ControlMessage(message, wParam, lParam, &result))
        return result;
    const CurrentMessage& current = ThreadCurrentMessage();
    if (current.window == this && current.message == message && current.event)
        return DefaultForEvent(message, wParam, lParam);
    return DefaultForMessage(message, wParam, lParam);
}

LRESULT CWnd::DefaultForMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT:
        text_ = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return 1;
    case WM_GETTEXT:
        return CopyText(text_, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text_.size());
    case WM_SETFONT: {
        font_ = reinterpret_cast<const CFont*>(wParam);
        const QFont font = font_ ? font_->Font() : QApplication::font();
        setFont(font);
        if (hosted_)
            hosted_->setFont(font);
        if (lParam)
            Invalidate();
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_SETCURSOR:
        // The parent may choose first; otherwise the class cursor.
        if (CWnd* parent = GetParent(); parent && parent->SendMessage(WM_SETCURSOR, wParam, lParam))
            return 1;
        if (LOWORD(static_cast<uintptr_t>(lParam)) == HTCLIENT)
            ::SetCursor(classCursor_);
        return 0;
    case WM_CONTEXTMENU:
        if (hosted_) {
            const POINT packed = PointFromParam(static_cast<uintptr_t>(lParam));
            const QPoint screen(packed.x, packed.y);
            const bool byKeyboard = lParam == -1;
            const QPoint at = byKeyboard ? hosted_->rect().center() : hosted_->mapFromGlobal(screen);
            QContextMenuEvent menu(byKeyboard ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse, at,
                                   hosted_->mapToGlobal(at));
            DeliverToWidget(hosted_, &menu);
            return 0;
        }
        if (CWnd* parent = GetParent())
            return parent->SendMessage(WM_CONTEXTMENU, wParam, lParam);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // Unhandled wheel turns go up to the parent.
        if (CWnd* parent = GetParent())
            return parent->SendMessage(message, wParam, lParam);
        return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
        // Sent or posted keys reach a hosted control as if typed.
        if (hosted_)
            DeliverKeyMessage(message, wParam);
        return 0;
    default:
        return 0;
    }
}

bool CWnd::DeliverToWidget(QWidget* widget, QEvent* event) {
    QEvent* outer = deliveringDefault_;
    deliveringDefault_ = event;
    const bool result = QCoreApplication::sendEvent(widget, event);
    deliveringDefault_ = outer;
    return result;
}

CWnd* CWnd::GetParent() const {
    for (QWidget* up = parentWidget(); up; up = up->parentWidget())
        if (auto* window = dynamic_cast<CWnd*>(up))
            return window;
    return nullptr;
}

bool CWnd::IsChild(const QWidget* window) const { return window && (window == this || isAncestorOf(window)); }

LRESULT CWnd::NotifyOwner(NMHDR& record) {
    record.hwndFrom = this;
    record.idFrom = id_;
    CWnd* owner = owner_ ? owner_.data() : GetParent();
    if (!owner || !owner->IsWindow() || !IsWindow())
        return 0;
    return owner->SendMessage(WM_NOTIFY, id_, reinterpret_cast<LPARAM>(&record));
}

QWidget* CWnd::ClientWidget() const { return frame_ ? frame_->Client() : const_cast<CWnd*>(this); }

RECT CWnd::GetClientRect() const {
    const QWidget* client = ClientWidget();
    return RECT{0, 0, client->width(), client->height()};
}

void SetGeometryNow(QWidget* widget, const QRect& geometry) {
    const QSize old = widget->size();
    widget->setGeometry(geometry);
    if (!widget->isVisible() && widget->testAttribute(Qt::WA_PendingResizeEvent)) {
        widget->setAttribute(Qt::WA_PendingResizeEvent, false);
        QResizeEvent resize(geometry.size(), old);
        QCoreApplication::sendEvent(widget, &resize);
    }
}

void CWnd::MoveWindow(const RECT& rect, bool repaint) {
    SetGeometryNow(this, ToQRect(rect));
    if (repaint)
        update();
}

RECT CWnd::GetWindowRect() const { return FromQRect(geometry()); }

void CWnd::ClientToScreen(POINT* point) const {
    const QPoint screen = ClientWidget()->mapToGlobal(QPoint(point->x, point->y));
    *point = POINT{screen.x(), screen.y()};
}

void CWnd::ScreenToClient(POINT* point) const {
    const QPoint client = ClientWidget()->mapFromGlobal(QPoint(point->x, point->y));
    *point = POINT{client.x(), client.y()};
}

void CWnd::SetWindowText(const std::string& text) { SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }

std::string CWnd::GetWindowText() {
    std::string text(static_cast<size_t>(SendMessage(WM_GETTEXTLENGTH)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessage(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

QWidget* CWnd::SetFocus() {
    QWidget* previous = GetFocus();
    setFocus(Qt::OtherFocusReason);
    return previous;
}

QWidget* CWnd::GetFocus() { return WindowOf(QApplication::focusWidget()); }

void CWnd::SetFont(const CFont* font, bool redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? 1 : 0);
}

const CFont* CWnd::GetFont() { return reinterpret_cast<const CFont*>(SendMessage(WM_GETFONT)); }

void CWnd::Invalidate(bool erase) { InvalidateRect(nullptr, erase); }

void CWnd::InvalidateRect(const RECT* rect, bool erase) {
    eraseRequested_ = eraseRequested_ || erase;
    if (rect)
        ClientWidget()->update(ToQRect(*rect));
    else
        ClientWidget()->update();
}

void CWnd::RedrawWindow(const RECT* rect, UINT flags) {
    if (flags & RDW_ERASE)
        eraseRequested_ = true;
    if (flags & RDW_UPDATENOW) {
        if (rect)
            ClientWidget()->repaint(ToQRect(*rect));
        else
            ClientWidget()->repaint();
    } else if (flags & RDW_INVALIDATE) {
        InvalidateRect(rect, (flags & RDW_ERASE) != 0);
    }
}

void CWnd::UpdateWindow() {
    // Qt paints pending areas when asked to repaint nothing new.
    QCoreApplication::sendPostedEvents(ClientWidget(), QEvent::UpdateRequest);
}

void CWnd::InvertTracker(const RECT& rect) {
    auto same = std::find(inversions_.begin(), inversions_.end(), rect);
    if (same != inversions_.end())
        inversions_.erase(same);
    else
        inversions_.push_back(rect);
    RedrawWindow(&rect, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CWnd::PaintInversions(QWidget* surface) {
    if (inversions_.empty())
        return;
    QPainter painter(surface);
    CDC dc(&painter);
    for (const RECT& rect : inversions_)
        dc.InvertRect(rect);
}

void CWnd::SetTimer(uintptr_t id, int milliseconds) {
    KillTimer(id);
    timers_[startTimer(milliseconds)] = id;
}

void CWnd::KillTimer(uintptr_t id) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->second == id) {
            killTimer(it->first);
            timers_.erase(it);
            return;
        }
}

CWnd* CWnd::SetCapture() {
    CWnd* previous = captureWindow;
    captureWindow = this;
    if (previous && previous != this)
        previous->SendMessage(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(this));
    return previous;
}

BOOL CWnd::ReleaseCapture() {
    CWnd* previous = captureWindow;
    captureWindow = nullptr;
    if (previous)
        previous->SendMessage(WM_CAPTURECHANGED, 0, 0);
    return 1;
}

CWnd* CWnd::GetCapture() { return captureWindow; }

BOOL CWnd::TrackMouseEvent(UINT flags) {
    if (flags & TME_LEAVE)
        trackingLeave_ = (flags & TME_CANCEL) == 0;
    return 1;
}

int CWnd::SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw) {
    if (bar != SB_HORZ && bar != SB_VERT)
        return 0;
    return Frame().SetScrollInfo(bar, info, redraw);
}

BOOL CWnd::GetScrollInfo(int bar, SCROLLINFO* info) const { return frame_ ? frame_->GetScrollInfo(bar, info) : 0; }

void CWnd::ShowScrollBar(int bar, bool show) { Frame().ShowScrollBar(bar, show); }

bool CWnd::IsScrollBarShown(int bar) const { return frame_ && frame_->IsShown(bar); }

void CWnd::DragAcceptFiles(bool accept) { setAcceptDrops(accept); }

void CWnd::HostControl(QWidget* control) {
    hosted_ = control;
    control->setParent(ClientWidget());
    SetGeometryNow(control, ClientWidget()->rect());
    control->installEventFilter(this);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) {
        hostedViewport_ = area->viewport();
        hostedViewport_->installEventFilter(this);
    }
    setFocusProxy(control);
    control->show();
}

CPaintDC::CPaintDC(CWnd* window) : CDC(&painter_), painter_(window->ClientWidget()) {
    const CurrentMessage& current = ThreadCurrentMessage();
    QRect box = window->ClientWidget()->rect();
    if (current.event && current.event->type() == QEvent::Paint)
        box = static_cast<QPaintEvent*>(current.event)->rect();
    clipBox_ = FromQRect(box);
    painter_.setFont(window->font());
}
