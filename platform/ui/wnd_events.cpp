// How Qt events become a window's messages, and what default handling does
// with the event behind a message.
#include "platform/ui/wnd.h"

#include "platform/ui/dc.h"
#include "platform/ui/input_state.h"
#include "platform/ui/nonclient_frame.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/thread_handoff.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QTimerEvent>
#include <QWheelEvent>
#include <vector>

namespace {

int VirtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
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
    case Qt::Key_Menu: return VK_APPS;
    default:
        if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
            return VK_F1 + (qtKey - Qt::Key_F1);
        if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
            return qtKey; // the same codes
        return 0;
    }
}

// The Qt key of a virtual key, for keys sent to a hosted control.
int QtKeyOf(int virtualKey) {
    for (int key : {Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space, Qt::Key_PageUp,
                    Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home, Qt::Key_Left, Qt::Key_Up, Qt::Key_Right,
                    Qt::Key_Down, Qt::Key_Insert, Qt::Key_Delete})
        if (VirtualKeyOf(key) == virtualKey)
            return key;
    return virtualKey;
}

// MK_ bits of a mouse or wheel message's wParam.
WPARAM KeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    WPARAM state = 0;
    if (buttons & Qt::LeftButton)
        state |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        state |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        state |= MK_MBUTTON;
    if (buttons & Qt::XButton1)
        state |= MK_XBUTTON1;
    if (buttons & Qt::XButton2)
        state |= MK_XBUTTON2;
    if (modifiers & Qt::ShiftModifier)
        state |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        state |= MK_CONTROL;
    return state;
}

// The message of a button event: down, up, double click; 0 for buttons without messages.
UINT ButtonMessage(QEvent::Type type, Qt::MouseButton button) {
    int kind = type == QEvent::MouseButtonPress ? 0 : type == QEvent::MouseButtonRelease ? 1 : 2;
    switch (button) {
    case Qt::LeftButton: return WM_LBUTTONDOWN + kind;
    case Qt::RightButton: return WM_RBUTTONDOWN + kind;
    case Qt::MiddleButton: return WM_MBUTTONDOWN + kind;
    case Qt::XButton1:
    case Qt::XButton2: return WM_XBUTTONDOWN + kind;
    default: return 0;
    }
}

// The characters a key press types, as WM_CHAR carries them: Tab and
// Shift+Tab type a tab, Ctrl with a letter its control code, Delete nothing.
std::vector<char16_t> TypedCharacters(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return {u'\t'};
    std::vector<char16_t> typed;
    const bool control = key->modifiers() & Qt::ControlModifier;
    for (QChar c : key->text()) {
        char16_t code = c.unicode();
        if (code == 0x7F)
            continue;
        if (control && c.isLetter() && code < 0x80)
            code = static_cast<char16_t>(c.toUpper().unicode() - u'A' + 1);
        typed.push_back(code);
    }
    return typed;
}

// The window that had the focus before the current change: Qt names the
// new one during the change, the old one only afterwards.
QPointer<QWidget>& FocusBeforeChange() {
    static QPointer<QWidget> focus;
    static const bool tracking = [] {
        if (qApp)
            QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) { focus = now; });
        return true;
    }();
    (void)tracking;
    return focus;
}

thread_local QPointer<QWidget> cursorTarget;
thread_local Cursor currentCursor = Cursor::Arrow;

Qt::CursorShape ShapeOf(Cursor cursor) {
    switch (cursor) {
    case Cursor::SizeWE: return Qt::SizeHorCursor;
    case Cursor::SizeNS: return Qt::SizeVerCursor;
    case Cursor::Hand: return Qt::PointingHandCursor;
    case Cursor::Wait: return Qt::WaitCursor;
    case Cursor::IBeam: return Qt::IBeamCursor;
    case Cursor::Arrow: break;
    }
    return Qt::ArrowCursor;
}

} // namespace

// Translation of one Qt event that reached a window, its client widget or
// its hosted control (the source); false leaves the event to Qt.
struct WindowEvents {
    static bool Translate(CWnd* window, QWidget* source, QEvent* event);
    static bool Mouse(CWnd* window, QWidget* source, QMouseEvent* mouse);
    static bool Key(CWnd* window, QWidget* source, QKeyEvent* key);
    static void Paint(CWnd* window, QWidget* source, QEvent* event);
};

bool CWnd::IsDefaultBeingDelivered(const QEvent* event) const {
    return deliveringDefault_ && (event == deliveringDefault_ || event->type() == deliveringDefault_->type());
}

bool CWnd::event(QEvent* e) {
    HandOffAcquire(e); // a message posted from another thread
    if (IsDefaultBeingDelivered(e)) {
        // What the hosted control left of its default handling bubbled up:
        // it stays here, as the window's own.
        e->accept();
        return true;
    }
    return WindowEvents::Translate(this, this, e) || QWidget::event(e);
}

bool CWnd::eventFilter(QObject* watched, QEvent* e) {
    if (IsDefaultBeingDelivered(e))
        return false;
    QWidget* source = qobject_cast<QWidget*>(watched);
    if (!source || (!IsHostedInput(source) && source != ClientWidget()))
        return false;
    return WindowEvents::Translate(this, source, e);
}

void WindowEvents::Paint(CWnd* window, QWidget* source, QEvent* event) {
    if (window->eraseRequested_) {
        window->eraseRequested_ = false;
        CPaintDC eraseDc(window);
        window->Dispatch(WM_ERASEBKGND, reinterpret_cast<WPARAM>(static_cast<CDC*>(&eraseDc)), 0, event, source);
    }
    window->Dispatch(WM_PAINT, 0, 0, event, source);
    window->PaintInversions(source);
}

bool WindowEvents::Translate(CWnd* window, QWidget* source, QEvent* event) {
    const bool fromWindow = source == window;
    const bool framed = window->frame_ != nullptr;
    const bool hosted = window->IsHostedInput(source);
    switch (event->type()) {
    case QEvent::Paint:
        if (hosted)
            return false;
        if (fromWindow && framed)
            window->frame_->Paint();
        else
            Paint(window, source, event);
        return true;
    case QEvent::Resize: {
        if (hosted)
            return false;
        if (fromWindow && framed) {
            window->frame_->Layout();
            return false;
        }
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        if (window->hosted_)
            SetGeometryNow(window->hosted_, QRect(0, 0, size.width(), size.height()));
        if (!window->creating_)
            window->Dispatch(WM_SIZE, SIZE_RESTORED, MAKELPARAM(size.width(), size.height()), event, source);
        return true;
    }
    case QEvent::Move:
        if (!fromWindow)
            return false;
        window->Dispatch(WM_MOVE, 0, MAKELPARAM(window->x(), window->y()), event, source);
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (fromWindow && framed)
            return true; // the border takes no input
        return Mouse(window, source, static_cast<QMouseEvent*>(event));
    case QEvent::Wheel: {
        if (fromWindow && framed)
            return true;
        auto* wheel = static_cast<QWheelEvent*>(event);
        RecordInputState(wheel->modifiers(), wheel->buttons());
        const QPoint screen = wheel->globalPosition().toPoint();
        RecordMessagePos(POINT{screen.x(), screen.y()});
        const WPARAM keys = KeyState(wheel->buttons(), wheel->modifiers());
        const auto withDelta = [keys](int delta) {
            return keys | (static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16);
        };
        // A turn away from the user is positive; a tilt (or a sideways
        // swipe) to the right is a positive horizontal turn.
        if (wheel->angleDelta().y() != 0)
            window->Dispatch(WM_MOUSEWHEEL, withDelta(wheel->angleDelta().y()), MAKELPARAM(screen.x(), screen.y()),
                             event, source);
        if (wheel->angleDelta().x() != 0)
            window->Dispatch(WM_MOUSEHWHEEL, withDelta(-wheel->angleDelta().x()), MAKELPARAM(screen.x(), screen.y()),
                             event, source);
        event->accept();
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (!fromWindow && !hosted)
            return false;
        return Key(window, source, static_cast<QKeyEvent*>(event));
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!fromWindow || !window->acceptDrops() || !drag->mimeData()->hasUrls())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!fromWindow || !window->acceptDrops())
            return false;
        std::vector<std::string> paths;
        for (const QUrl& url : drop->mimeData()->urls())
            if (url.isLocalFile())
                paths.push_back(url.toLocalFile().toLocal8Bit().toStdString());
        drop->acceptProposedAction();
        window->Dispatch(WM_DROPFILES, reinterpret_cast<WPARAM>(&paths), 0, event, source);
        return true;
    }
    case QEvent::ContextMenu:
        // WM_CONTEXTMENU comes from the right button's release and the menu key.
        event->accept();
        return true;
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        if (!fromWindow && !hosted)
            return false;
        const bool in = event->type() == QEvent::FocusIn;
        QWidget* other = CWnd::WindowOf(in ? FocusBeforeChange().data() : QApplication::focusWidget());
        window->Dispatch(in ? WM_SETFOCUS : WM_KILLFOCUS, CWnd::ToParam(other == window ? nullptr : other), 0,
                         event, source);
        return true;
    }
    case QEvent::Leave:
        if (window->trackingLeave_ && !fromWindow == framed) {
            window->trackingLeave_ = false;
            window->Dispatch(WM_MOUSELEAVE, 0, 0);
        }
        return false;
    case QEvent::EnabledChange:
        if (!fromWindow)
            return false;
        window->Dispatch(WM_ENABLE, window->isEnabled() ? 1 : 0, 0, event, source);
        return true;
    case QEvent::ApplicationPaletteChange:
        if (!fromWindow)
            return false;
        window->Dispatch(WM_SYSCOLORCHANGE, 0, 0, event, source);
        return true;
    case QEvent::Close:
        if (!fromWindow)
            return false;
        window->Dispatch(WM_CLOSE, 0, 0, event, source);
        event->setAccepted(!window->IsWindow());
        return true;
    case QEvent::Timer: {
        auto found = window->timers_.find(static_cast<QTimerEvent*>(event)->timerId());
        if (!fromWindow || found == window->timers_.end())
            return false;
        window->Dispatch(WM_TIMER, found->second, 0, event, source);
        return true;
    }
    default:
        if (fromWindow && event->type() == CWnd::MessageEventType()) {
            window->RunQueuedMessage(event);
            return true;
        }
        return false;
    }
}

bool WindowEvents::Mouse(CWnd* window, QWidget* source, QMouseEvent* mouse) {
    RecordInputState(mouse->modifiers(), mouse->buttons());
    const QPoint at = mouse->globalPosition().toPoint();
    const POINT screen = ClipToCursorRect(POINT{at.x(), at.y()});
    RecordMessagePos(screen);

    // The capture takes mouse messages wherever they happen.
    CWnd* target = window;
    if (CWnd* capture = CWnd::GetCapture(); capture && capture != window && capture->IsWindow()) {
        target = capture;
        source = capture->ClientWidget();
    }
    cursorTarget = target->ClientWidget();
    POINT client = screen;
    target->ScreenToClient(&client);
    const LPARAM position = MAKELPARAM(client.x, client.y);
    const WPARAM state = KeyState(mouse->buttons(), mouse->modifiers());

    UINT message = WM_MOUSEMOVE;
    WPARAM wParam = state;
    if (mouse->type() != QEvent::MouseMove) {
        message = ButtonMessage(mouse->type(), mouse->button());
        if (message == 0)
            return true;
        if (mouse->button() == Qt::XButton1 || mouse->button() == Qt::XButton2)
            wParam |= static_cast<WPARAM>(mouse->button() == Qt::XButton1 ? XBUTTON1 : XBUTTON2) << 16;
    }
    if (message == WM_MOUSEMOVE || mouse->type() == QEvent::MouseButtonPress)
        target->Dispatch(WM_SETCURSOR, CWnd::ToParam(target), MAKELPARAM(HTCLIENT, message));
    target->Dispatch(message, wParam, position, mouse, source);
    mouse->accept();
    return true;
}

bool WindowEvents::Key(CWnd* window, QWidget* source, QKeyEvent* key) {
    const bool press = key->type() == QEvent::KeyPress;
    const int virtualKey = VirtualKeyOf(key->key());
    Qt::KeyboardModifiers modifiers = key->modifiers();
    if (key->key() == Qt::Key_Backtab)
        modifiers |= Qt::ShiftModifier; // Shift+Tab, whatever else the event says
    RecordInputState(modifiers, QGuiApplication::mouseButtons());
    RecordKeyTransition(virtualKey, press);
    window->typedEvent_ = nullptr;
    window->focusMovedBy_ = nullptr;

    const bool system = (modifiers & Qt::AltModifier) && virtualKey != VK_MENU;
    if (!press) {
        window->Dispatch(system ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(virtualKey),
                         1 | (1 << 30) | (static_cast<LPARAM>(1) << 31), key, source);
    } else {
        window->Dispatch(system ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(virtualKey),
                         1 | (key->isAutoRepeat() ? (1 << 30) : 0), key, source);
        for (char16_t c : TypedCharacters(key))
            if (window->IsWindow() && window->focusMovedBy_ != key)
                window->Dispatch(system ? WM_SYSCHAR : WM_CHAR, c, 1, key, source);
    }
    key->accept();
    return true;
}

LRESULT CWnd::DefaultForEvent(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage& current = ThreadCurrentMessage();
    QEvent* event = current.event;
    QWidget* source = current.source;
    const bool hosted = source && IsHostedInput(source);
    auto ownHandling = [&]() -> LRESULT {
        if (hosted)
            return DeliverToWidget(source, event) ? 1 : 0;
        return source == this && QWidget::event(event) ? 1 : 0;
    };
    switch (message) {
    case WM_ERASEBKGND:
        reinterpret_cast<CDC*>(wParam)->FillSolidRect(GetClientRect(), GetSysColor(COLOR_WINDOW));
        return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        if (wParam == VK_TAB) {
            // Focus moves on unless the window takes tabs itself.
            if (!(SendMessage(WM_GETDLGCODE) & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) {
                focusNextPrevChild(!shift);
                focusMovedBy_ = event; // the tab moved the focus: it types nothing
            }
            return 0;
        }
        if (wParam == VK_APPS || (wParam == VK_F1 + 9 && shift)) {
            SendMessage(WM_CONTEXTMENU, ToParam(this), -1);
            return 0;
        }
        // A key that types waits for its WM_CHAR.
        if (hosted && !static_cast<QKeyEvent*>(event)->text().isEmpty() && wParam != VK_DELETE)
            return 0;
        return ownHandling();
    }
    case WM_CHAR:
    case WM_SYSCHAR:
        // The control types the key's text once, at its first character.
        if (hosted && wParam != '\t' && typedEvent_ != event) {
            typedEvent_ = event;
            return DeliverToWidget(source, event) ? 1 : 0;
        }
        return 0;
    case WM_RBUTTONUP: {
        const LRESULT result = ownHandling();
        const QPoint screen = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        SendMessage(WM_CONTEXTMENU, ToParam(this), MAKELPARAM(screen.x(), screen.y()));
        return result;
    }
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        return DefaultForMessage(message, wParam, lParam);
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    default:
        return ownHandling();
    }
}

void CWnd::DeliverKeyMessage(UINT message, WPARAM wParam) {
    // Typed control characters are the keys that type them.
    static const std::pair<char16_t, int> controlKeys[] = {
        {u'\b', Qt::Key_Backspace}, {u'\t', Qt::Key_Tab}, {u'\r', Qt::Key_Return}, {u'\x1b', Qt::Key_Escape}};
    int key = 0;
    QString text;
    if (message == WM_CHAR) {
        const auto character = static_cast<char16_t>(wParam);
        text = QString(QChar(character));
        for (const auto& control : controlKeys)
            if (control.first == character)
                key = control.second;
    } else {
        key = QtKeyOf(static_cast<int>(wParam));
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(), text);
    DeliverToWidget(hosted_, &press);
}

void SetCursor(Cursor cursor) {
    currentCursor = cursor;
    if (cursorTarget)
        cursorTarget->setCursor(ShapeOf(cursor));
}

Cursor GetCursor() { return currentCursor; }

CWaitCursor::CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
CWaitCursor::~CWaitCursor() { QApplication::restoreOverrideCursor(); }
