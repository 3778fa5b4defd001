#include "platform/ui/wnd.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QTimerEvent>
#include <QWheelEvent>
#include <cstring>

namespace {

int VirtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default:
        if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
            return VK_F1 + (qtKey - Qt::Key_F1);
        if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
            return qtKey; // the same codes
        return 0;
    }
}

// MK_ key-state bits of a mouse message's wParam.
WPARAM KeyState(const QMouseEvent* e) {
    WPARAM state = 0;
    if (e->buttons() & Qt::LeftButton)
        state |= 0x1;
    if (e->buttons() & Qt::RightButton)
        state |= 0x2;
    if (e->modifiers() & Qt::ShiftModifier)
        state |= 0x4;
    if (e->modifiers() & Qt::ControlModifier)
        state |= 0x8;
    return state;
}

} // namespace

CurrentMessage& ThreadCurrentMessage() {
    static thread_local CurrentMessage current;
    return current;
}

CWnd::CWnd(QWidget* parent) : QWidget(parent) {}

CWnd::~CWnd() { SendMessage(WM_NCDESTROY); }

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

LRESULT CWnd::StandardWindowProc(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam) {
    return window->WindowProc(message, wParam, lParam);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchEvent(message, wParam, lParam, nullptr);
}

LRESULT CWnd::DispatchEvent(UINT message, WPARAM wParam, LPARAM lParam, QEvent* event) {
    CurrentMessage saved = ThreadCurrentMessage();
    ThreadCurrentMessage() = CurrentMessage{this, message, wParam, lParam, event};
    LRESULT result = windowProc_(this, message, wParam, lParam);
    ThreadCurrentMessage() = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProc(message, wParam, lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage& current = ThreadCurrentMessage();
    if (current.window == this && current.message == message && current.event) {
        if (message == WM_ERASEBKGND) {
            auto* dc = reinterpret_cast<CDC*>(wParam);
            dc->FillSolidRect(GetClientRect(), GetSysColor(COLOR_WINDOW));
            return 1;
        }
        return QWidget::event(current.event) ? 1 : 0;
    }
    switch (message) {
    case WM_SETTEXT:
        text_ = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return 1;
    case WM_GETTEXT:
        return CopyText(text_, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text_.size());
    default:
        return 0;
    }
}

bool CWnd::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::Paint: {
        if (eraseRequested_) {
            eraseRequested_ = false;
            CPaintDC eraseDc(this);
            DispatchEvent(WM_ERASEBKGND, reinterpret_cast<WPARAM>(static_cast<CDC*>(&eraseDc)), 0, e);
        }
        DispatchEvent(WM_PAINT, 0, 0, e);
        return true;
    }
    case QEvent::Resize: {
        auto* resize = static_cast<QResizeEvent*>(e);
        DispatchEvent(WM_SIZE, SIZE_RESTORED, MAKELPARAM(resize->size().width(), resize->size().height()), e);
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(e);
        const bool right = mouse->button() == Qt::RightButton;
        UINT message = e->type() == QEvent::MouseMove           ? WM_MOUSEMOVE
                       : e->type() == QEvent::MouseButtonRelease ? (right ? WM_RBUTTONUP : WM_LBUTTONUP)
                       : e->type() == QEvent::MouseButtonDblClick ? WM_LBUTTONDBLCLK
                       : right                                   ? WM_RBUTTONDOWN
                                                                 : WM_LBUTTONDOWN;
        QPoint at = mouse->position().toPoint();
        DispatchEvent(message, KeyState(mouse), MAKELPARAM(at.x(), at.y()), e);
        return true;
    }
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(e);
        QPoint at = wheel->position().toPoint();
        DispatchEvent(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(wheel->angleDelta().y())) << 16,
                      MAKELPARAM(at.x(), at.y()), e);
        return true;
    }
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(e);
        DispatchEvent(WM_KEYDOWN, static_cast<WPARAM>(VirtualKeyOf(key->key())), 0, e);
        for (QChar c : key->text())
            if (c.unicode() >= 0x20 || c == '\r' || c == '\b' || c == '\t' || c.unicode() == 0x1B)
                DispatchEvent(WM_CHAR, c.unicode(), 0, nullptr);
        return true;
    }
    case QEvent::KeyRelease:
        DispatchEvent(WM_KEYUP, static_cast<WPARAM>(VirtualKeyOf(static_cast<QKeyEvent*>(e)->key())), 0, e);
        return true;
    case QEvent::FocusIn:
        DispatchEvent(WM_SETFOCUS, 0, 0, e);
        return true;
    case QEvent::FocusOut:
        DispatchEvent(WM_KILLFOCUS, 0, 0, e);
        return true;
    case QEvent::Timer: {
        auto found = timers_.find(static_cast<QTimerEvent*>(e)->timerId());
        if (found == timers_.end())
            return QWidget::event(e);
        DispatchEvent(WM_TIMER, found->second, 0, e);
        return true;
    }
    default:
        return QWidget::event(e);
    }
}

void CWnd::SetWindowText(const std::string& text) { SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); }

std::string CWnd::GetWindowText() {
    std::string text(static_cast<size_t>(SendMessage(WM_GETTEXTLENGTH)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessage(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

void CWnd::Invalidate(bool erase) {
    eraseRequested_ = eraseRequested_ || erase;
    update();
}

void CWnd::RedrawWindow(UINT flags) {
    if (flags & RDW_ERASE)
        eraseRequested_ = true;
    if (flags & RDW_UPDATENOW)
        repaint();
    else if (flags & RDW_INVALIDATE)
        update();
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

LRESULT CWnd::NotifyOwner(NMHDR& record) {
    record.hwndFrom = this;
    CWnd* owner = GetParent();
    return owner ? owner->SendMessage(WM_NOTIFY, record.idFrom, reinterpret_cast<LPARAM>(&record)) : 0;
}

CPaintDC::CPaintDC(CWnd* window) : CDC(&painter_), painter_(window) {
    const CurrentMessage& current = ThreadCurrentMessage();
    QRect box = window->rect();
    if (current.event && current.event->type() == QEvent::Paint)
        box = static_cast<QPaintEvent*>(current.event)->rect();
    clipBox_ = FromQRect(box);
    painter_.setFont(window->font());
}
