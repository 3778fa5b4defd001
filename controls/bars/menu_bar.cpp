#include "controls/bars/menu_bar.h"

#include "controls/bars/flat_menu_draw.h"
#include "controls/bars/flat_menu_window.h"
#include "platform/ui/dc.h"
#include "platform/ui/system_metrics.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

namespace {

// One font for every menu bar: the desktop's menu font.
CFont& SharedMenuFont() {
    static CFont font;
    return font;
}

} // namespace

CMenuBar::CMenuBar(QWidget* parent) : CFlatToolBar(parent) { qApp->installEventFilter(this); }

CMenuBar::~CMenuBar() {
    qApp->removeEventFilter(this);
    if (openMenu_)
        openMenu_->Close();
    DestroyWindow();
}

void CMenuBar::CreateBarFont() {
    NONCLIENTMETRICS metrics;
    SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics);
    SharedMenuFont().CreateFontIndirect(metrics.lfMenuFont);
    SetFont(&SharedMenuFont(), true);
}

std::shared_ptr<Menu> CMenuBar::LoadMenu(std::shared_ptr<Menu> menu) {
    if (hideFrameMenu) {
        auto* frame = qobject_cast<QMainWindow*>(window());
        if (frame && frame->findChild<QMenuBar*>() && frame->findChild<QMenuBar*>()->isVisible())
            PostMessage(WM_MENUBAR_HIDEFRAMEMENU, ToParam(frame));
    }
    while (ButtonCount() > 0)
        DeleteButton(0);
    SetImageList({});
    std::shared_ptr<Menu> previous = std::move(menu_);
    menu_ = std::move(menu);
    if (!menu_) {
        tracking_.SetButtonCount(0);
        return previous;
    }
    int command = 0;
    for (const MenuItem& item : menu_->items) {
        const std::string text = item.text.substr(0, 63);
        if (text.empty())
            continue;
        TBBUTTON button;
        button.idCommand = command++; // the button's index, not a menu command
        button.fsStyle = TBSTYLE_AUTOSIZE;
        button.iString = AddString(text);
        AddButton(button);
    }
    tracking_.SetButtonCount(ButtonCount());
    AutoSize();
    return previous;
}

SIZE CMenuBar::MeasureButton(int index) const {
    SIZE size = CSizedToolBar::MeasureButton(index);
    size.cx += kShadowSize; // room for the pressed button's shadow strip
    return size;
}

void CMenuBar::DrawButton(QPainter& painter, int index, const RECT& rect) {
    MenuItem item;
    item.text = String(GetButton(index).iString);
    MenuItemDrawState state;
    state.menuBarItem = true;
    state.selected = (GetButton(index).fsState & TBSTATE_PRESSED) != 0;
    state.hotLight = index == GetHotItem() || index == tracking_.HotItem();
    state.inactive = !window()->isActiveWindow() && tracking_.State() == TRACK_NONE;
    state.noAccelUnderline = tracking_.State() == TRACK_NONE || !openedByKeyboard_;
    state.barBackground = kBandColor;
    DrawFlatMenuItem(painter, rect, item, state, nullptr, BarFont());
}

void CMenuBar::SetTrackingState(TrackingState state, int button) {
    tracking_.SetTrackingState(state, button);
    SetHotItem(tracking_.HotItem());
    Invalidate();
}

void CMenuBar::TrackPopup(int button, bool byKeyboard) {
    openedByKeyboard_ = byKeyboard;
    while (button >= 0 && button < ButtonCount() && menu_) {
        tracking_.BeginPopup(button);
        SetHotItem(button);
        PressButton(button, true);
        RedrawWindow(RDW_INVALIDATE | RDW_UPDATENOW);

        // The item's menu, its items enabled by the owner's command rule.
        const MenuItem& top = menu_->items[static_cast<size_t>(GetButton(button).idCommand)];
        std::shared_ptr<Menu> popup = top.submenu ? top.submenu : std::make_shared<Menu>();
        for (MenuItem& item : popup->items)
            if (!item.IsSeparator()) {
                const bool enabled = !isEnabled_ || isEnabled_(item.command);
                item.state = enabled ? (item.state & ~(MFS_GRAYED | MFS_DISABLED)) : (item.state | MFS_GRAYED | MFS_DISABLED);
            }

        // Under the button, hanging 1 pixel over its bottom line.
        const RECT place = GetItemRect(button);
        POINT topLeft{place.left, place.bottom - 1};
        ClientToScreen(&topLeft);
        RECT dropped{topLeft.x, topLeft.y - place.Height() + 1, topLeft.x + place.Width() - kShadowSize, topLeft.y + 1};
        // Every menu window made while this one is open is watched: it and its cascades.
        const CFlatMenuWindow::Watcher previous = CFlatMenuWindow::SetWatcher([this](CFlatMenuWindow* window) {
            inputHooks_.push_back(std::make_unique<MenuInputHook>(*this));
            inputHooks_.back()->HookWindow(window);
        });
        auto menuWindow = std::make_unique<CFlatMenuWindow>(popup, images_, this);
        menuWindow->Place(topLeft, dropped, byKeyboard);
        openMenu_ = menuWindow.get();
        const unsigned command = menuWindow->Track();
        CFlatMenuWindow::SetWatcher(previous);
        inputHooks_.clear();
        openMenu_ = nullptr;
        menuWindow.reset();

        PressButton(button, false);
        const int next = tracking_.EndPopup();
        SetHotItem(tracking_.HotItem());
        RedrawWindow(RDW_INVALIDATE | RDW_UPDATENOW);
        if (command != 0 && onCommand_) {
            onCommand_(command);
            return;
        }
        button = next;
        byKeyboard = true;
    }
}

int CMenuBar::MnemonicButton(UINT character) const {
    if (!menu_)
        return -1;
    const LRESULT found = HandleMenuChar(*menu_, character, 0);
    return HIWORD(found) == MNC_EXECUTE ? LOWORD(found) : -1;
}

bool CMenuBar::OnMenuInput(CWnd* menuWindow, UINT message, WPARAM wParam, LPARAM lParam) {
    auto cancel = [this] {
        if (openMenu_)
            openMenu_->PostMessage(WM_CANCELMODE);
    };
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_LEFT && tracking_.OnKeyLeft()) {
            cancel();
            return true;
        }
        if (wParam == VK_RIGHT && tracking_.OnKeyRight()) {
            cancel();
            return true;
        }
        if (wParam == VK_ESCAPE)
            tracking_.OnKeyEscape();
        return false;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: {
        POINT screen = PointFromParam(lParam);
        menuWindow->ClientToScreen(&screen);
        POINT here = screen;
        ScreenToClient(&here);
        const int button = HitTest(here);
        if (message == WM_LBUTTONDOWN) {
            if (!tracking_.OnMouseDown(button))
                return false;
            cancel();
            return true;
        }
        if (here.x == lastMouse_.x && here.y == lastMouse_.y)
            return false;
        lastMouse_ = here;
        if (tracking_.OnMouseOver(button))
            cancel();
        return false;
    }
    case WM_MENUSELECT:
        tracking_.OnMenuSelect((HIWORD(wParam) & MF_POPUP) != 0,
                               openMenu_ && reinterpret_cast<const Menu*>(lParam) == &openMenu_->GetMenu());
        return false;
    default:
        return false;
    }
}

LRESULT CMenuBar::MenuInputHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (bar_.OnMenuInput(HookedWindow(), message, wParam, lParam))
        return 0;
    return CWndHook::WindowProc(message, wParam, lParam);
}

bool CMenuBar::OnKeyInWindow(QKeyEvent* key) {
    const bool press = key->type() == QEvent::KeyPress;
    if (key->key() == Qt::Key_Alt) {
        if (press) {
            altAlone_ = !key->isAutoRepeat() || altAlone_;
            return false;
        }
        const bool alone = altAlone_;
        altAlone_ = false;
        if (!alone)
            return false;
        // Alt alone enters the bar, or leaves it.
        SetTrackingState(tracking_.State() == TRACK_BUTTON ? TRACK_NONE : TRACK_BUTTON, 0);
        openedByKeyboard_ = true;
        return true;
    }
    if (!press)
        return false;
    altAlone_ = false;
    if (key->modifiers() & Qt::AltModifier) {
        const int button = key->text().isEmpty() ? -1 : MnemonicButton(key->text().at(0).unicode());
        if (button < 0)
            return false;
        PostMessage(WM_MENUBAR_TRACKPOPUP, static_cast<WPARAM>(button), 1);
        return true;
    }
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) {
        SetTrackingState(tracking_.State() == TRACK_BUTTON ? TRACK_NONE : TRACK_BUTTON, 0);
        openedByKeyboard_ = true;
        return true;
    }
    if (tracking_.State() != TRACK_BUTTON)
        return false;
    const int count = ButtonCount();
    const int hot = std::max(0, tracking_.HotItem());
    switch (key->key()) {
    case Qt::Key_Left:
        SetTrackingState(TRACK_NONE, -1);
        SetTrackingState(TRACK_BUTTON, (hot - 1 + count) % count);
        return true;
    case Qt::Key_Right:
        SetTrackingState(TRACK_NONE, -1);
        SetTrackingState(TRACK_BUTTON, (hot + 1) % count);
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PostMessage(WM_MENUBAR_TRACKPOPUP, static_cast<WPARAM>(hot), 1);
        return true;
    case Qt::Key_Escape:
        SetTrackingState(TRACK_NONE, -1);
        return true;
    default: {
        const int button = key->text().isEmpty() ? -1 : MnemonicButton(key->text().at(0).unicode());
        if (button >= 0) {
            PostMessage(WM_MENUBAR_TRACKPOPUP, static_cast<WPARAM>(button), 1);
            return true;
        }
        // Any other key leaves the bar and does its own work.
        SetTrackingState(TRACK_NONE, -1);
        return false;
    }
    }
}

bool CMenuBar::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::WindowActivate || type == QEvent::WindowDeactivate) && watched == this) {
        // The buttons are greyed while the window is inactive (see DrawButton).
        Invalidate(false);
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::MouseButtonPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window() || openMenu_ || !IsWindow() || ButtonCount() == 0)
        return false;
    if (type == QEvent::MouseButtonPress) {
        // A click anywhere leaves the keyboard's hold on the bar.
        if (tracking_.State() == TRACK_BUTTON && !IsChild(widget))
            SetTrackingState(TRACK_NONE, -1);
        return false;
    }
    // A key reaches the focus widget and then, unhandled, its parents: look once.
    QWidget* focus = QApplication::focusWidget();
    if (focus ? watched != focus : widget != window())
        return false;
    return OnKeyInWindow(static_cast<QKeyEvent*>(event));
}

LRESULT CMenuBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const LRESULT result = CFlatToolBar::WindowProc(message, wParam, lParam);
        CreateBarFont();
        return result;
    }
    case WM_SYSCOLORCHANGE:
        CreateBarFont();
        return CFlatToolBar::WindowProc(message, wParam, lParam);
    case WM_MENUBAR_HIDEFRAMEMENU:
        if (auto* frame = qobject_cast<QMainWindow*>(FromParam(wParam)))
            if (QMenuBar* own = frame->findChild<QMenuBar*>())
                own->hide();
        return 0;
    case WM_MENUBAR_TRACKPOPUP:
        TrackPopup(static_cast<int>(wParam), lParam != 0);
        return 0;
    case WM_LBUTTONDOWN: {
        const int button = HitTest(PointFromParam(lParam));
        if (button >= 0 && IsButtonEnabled(button)) {
            // The menu's loop starts once this input has been handled.
            PostMessage(WM_MENUBAR_TRACKPOPUP, static_cast<WPARAM>(button), 0);
            return 0;
        }
        return CFlatToolBar::WindowProc(message, wParam, lParam);
    }
    case WM_LBUTTONUP:
        return 0;
    case WM_MOUSEMOVE: {
        const POINT point = PointFromParam(lParam);
        const int button = HitTest(point);
        if (tracking_.State() == TRACK_BUTTON) {
            if (button >= 0 && (point.x != lastMouse_.x || point.y != lastMouse_.y)) {
                tracking_.HotTrack(button);
                SetHotItem(button);
            }
            lastMouse_ = point;
            return 0;
        }
        lastMouse_ = point;
        return CFlatToolBar::WindowProc(message, wParam, lParam);
    }
    case WM_MOUSELEAVE:
        if (tracking_.State() != TRACK_NONE)
            return 0;
        return CFlatToolBar::WindowProc(message, wParam, lParam);
    default:
        return CFlatToolBar::WindowProc(message, wParam, lParam);
    }
}
