#include "controls/bars/flat_menu_window.h"

#include "controls/bars/flat_menu_draw.h"
#include "platform/ui/dc.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_metrics.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace {

// The three frame lines around the items.
constexpr int kFrame = 3;
// The room a menu adds to the width its items ask for (that of a check
// mark), which keeps the widest text apart from its accelerator.
constexpr int kCheckMarkRoom = 13;

CFlatMenuWindow::Watcher& CurrentWatcher() {
    static CFlatMenuWindow::Watcher watcher;
    return watcher;
}

QFont MenuFont() {
    NONCLIENTMETRICS metrics;
    SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics);
    return CFont(metrics.lfMenuFont).Font();
}

// What lies behind a menu placed on the screen, for its shadow. Where the
// menu lies over the window it belongs to, that window's own rendering: a
// grab of the screen there can still catch the menu that was open just
// before, not yet gone from the screen. Elsewhere, the screen.
QImage Backdrop(QWidget* context, QScreen* screen, const QRect& place) {
    QImage backdrop(place.size(), QImage::Format_RGB32);
    backdrop.fill(ToQColor(GetSysColor(COLOR_BTNFACE)));
    QPainter painter(&backdrop);
    if (screen)
        painter.drawPixmap(0, 0, place.width(), place.height(),
                           screen->grabWindow(0, place.x() - screen->geometry().x(),
                                              place.y() - screen->geometry().y(), place.width(), place.height()));
    if (!context)
        return backdrop;
    QWidget* window = context->window();
    const QRect over = QRect(window->mapToGlobal(QPoint(0, 0)), window->size()).intersected(place);
    if (!over.isEmpty())
        window->render(&painter, over.topLeft() - place.topLeft(),
                       QRegion(QRect(window->mapFromGlobal(over.topLeft()), over.size())));
    return backdrop;
}

} // namespace

CFlatMenuWindow::CFlatMenuWindow(std::shared_ptr<Menu> menu, ImageLookup images, QWidget* context)
    : CWnd(context), menu_(std::move(menu)), images_(std::move(images)), font_(MenuFont()) {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    // A click outside closes the menu and goes nowhere else.
    setAttribute(Qt::WA_NoMouseReplay);
    setMouseTracking(true); // the item under the mouse is highlighted
    Create(0, RECT{}, nullptr, 0);
    if (CurrentWatcher())
        CurrentWatcher()(this);
}

CFlatMenuWindow::Watcher CFlatMenuWindow::SetWatcher(Watcher watcher) {
    Watcher previous = std::move(CurrentWatcher());
    CurrentWatcher() = std::move(watcher);
    return previous;
}

CFlatMenuWindow::~CFlatMenuWindow() { DestroyWindow(); }

RECT CFlatMenuWindow::Body() const { return RECT{0, 0, width() - kShadowSize, height() - kShadowSize}; }

RECT CFlatMenuWindow::ItemRect(int index) const {
    int top = kFrame;
    for (int i = 0; i < index; ++i)
        top += MeasureMenuItem(menu_->items[i].itemData).cy;
    const int height = MeasureMenuItem(menu_->items.at(index).itemData).cy;
    return RECT{kFrame, top, Body().right - kFrame, top + height};
}

void CFlatMenuWindow::Place(POINT screen, const RECT& dropped, bool byKeyboard) {
    const QFontMetrics metrics(font_);
    UpdateMenu(*menu_, MenuMetricsForTextHeight(metrics.height()),
               [&](const std::string& text, bool bold) {
                   QFont font = font_;
                   font.setBold(bold);
                   return QFontMetrics(font).horizontalAdvance(QString::fromStdString(text));
               },
               false);
    itemImages_.clear();
    for (const MenuItem& item : menu_->items)
        itemImages_.push_back(images_ && !item.IsSeparator() ? images_(item.command) : nullptr);
    int width = 0, height = 0;
    for (const MenuItem& item : menu_->items) {
        const SIZE size = MeasureMenuItem(item.itemData);
        width = std::max(width, size.cx);
        height += size.cy;
    }
    byKeyboard_ = byKeyboard;
    // The menu hangs 1 pixel over its button, so its top line joins the button.
    QRect place(screen.x, screen.y, width + kCheckMarkRoom + 2 * kFrame + kShadowSize,
                height + 2 * kFrame + kShadowSize);
    QScreen* screenAt = QGuiApplication::screenAt(QPoint(screen.x, screen.y));
    bool joined = !dropped.IsRectEmpty();
    if (screenAt) {
        // The whole menu stays on the screen: moved left at its right edge,
        // and above its button (or point) where there is no room below.
        const QRect area = screenAt->geometry();
        if (place.right() > area.right())
            place.moveRight(area.right());
        if (place.bottom() > area.bottom()) {
            place.moveBottom((joined ? dropped.top : screen.y) - 1);
            joined = false;
        }
        place.moveLeft(std::max(place.left(), area.left()));
        place.moveTop(std::max(place.top(), area.top()));
    }
    droppedLeft_ = joined ? dropped.left - place.x() : 0;
    droppedRight_ = joined ? dropped.right - place.x() : 0;
    setGeometry(place);
    backdrop_ = Backdrop(parentWidget(), screenAt, place);
    highlighted_ = -1;
}

unsigned CFlatMenuWindow::Track() {
    chosen_ = 0;
    open_ = true;
    show();
    // A menu opens with its first item highlighted.
    MoveHighlight(1);
    if (open_)
        loop_.exec();
    return chosen_;
}

void CFlatMenuWindow::Close(unsigned command) {
    if (!open_)
        return;
    if (cascade_)
        cascade_->Close();
    open_ = false;
    chosen_ = command;
    hide();
    loop_.quit();
}

bool CFlatMenuWindow::event(QEvent* event) {
    // The system may close a popup itself (another window takes the input).
    if (event->type() == QEvent::Hide && open_) {
        open_ = false;
        loop_.quit();
    }
    return CWnd::event(event);
}

void CFlatMenuWindow::Highlight(int index) {
    if (index == highlighted_)
        return;
    highlighted_ = index;
    Invalidate(false);
    if (index >= 0) {
        const MenuItem& item = menu_->items[index];
        SendMessage(WM_MENUSELECT, MAKELPARAM(index, item.submenu ? int{MF_POPUP} : 0), reinterpret_cast<LPARAM>(menu_.get()));
    }
}

void CFlatMenuWindow::MoveHighlight(int step) {
    const int count = static_cast<int>(menu_->items.size());
    int index = highlighted_;
    for (int tried = 0; tried < count; ++tried) {
        index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
        if (!menu_->items[index].IsSeparator()) {
            Highlight(index);
            return;
        }
    }
}

int CFlatMenuWindow::ItemAt(POINT client) const {
    if (!Body().PtInRect(client))
        return -1;
    for (int i = 0; i < static_cast<int>(menu_->items.size()); ++i)
        if (ItemRect(i).PtInRect(client))
            return menu_->items[i].IsSeparator() ? -1 : i;
    return -1;
}

void CFlatMenuWindow::Choose(int index) {
    if (index < 0 || menu_->items[index].IsDisabled() || menu_->items[index].IsSeparator())
        return;
    if (menu_->items[index].submenu) {
        PostMessage(WM_FLATMENU_OPENCASCADE, static_cast<WPARAM>(index));
        return;
    }
    Close(menu_->items[index].command);
}

void CFlatMenuWindow::OpenCascade(int index) {
    if (cascade_ || !open_)
        return;
    const RECT item = ItemRect(index);
    POINT corner{item.right, item.top - kFrame};
    ClientToScreen(&corner);
    CFlatMenuWindow cascade(menu_->items[index].submenu, images_, nullptr);
    cascade.parentMenu_ = this;
    cascade.Place(corner, RECT{}, true);
    cascade_ = &cascade;
    const unsigned command = cascade.Track();
    cascade_ = nullptr;
    if (command != 0 || cascade.closeAll_) {
        Close(command);
        return;
    }
    // Back in this menu: its highlighted item is the one selected again.
    const int highlighted = highlighted_;
    highlighted_ = -1;
    Highlight(highlighted);
}

QImage CFlatMenuWindow::Picture() {
    QImage picture(size(), QImage::Format_RGB32);
    QPainter painter(&picture);
    Paint(painter);
    painter.end();
    DrawMenuShadow(picture, Body(), backdrop_);
    return picture;
}

void CFlatMenuWindow::Paint(QPainter& painter) {
    const FlatMenuColors colors = FlatMenuColorsFrom(GetSysColor);
    painter.fillRect(ToQRect(Body()), ToQColor(colors.textArea));
    for (int i = 0; i < static_cast<int>(menu_->items.size()); ++i) {
        MenuItemDrawState state;
        state.selected = i == highlighted_;
        state.noAccelUnderline = !byKeyboard_;
        const MenuItem& item = menu_->items[i];
        DrawFlatMenuItem(painter, ItemRect(i), item, state, i < static_cast<int>(itemImages_.size()) ? itemImages_[i] : nullptr,
                         font_);
    }
    DrawMenuFrame(painter, Body(), droppedLeft_, droppedRight_);
}

LRESULT CFlatMenuWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        CPaintDC paint(this);
        paint.Painter()->drawImage(0, 0, Picture());
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        switch (wParam) {
        case VK_DOWN: MoveHighlight(1); break;
        case VK_UP: MoveHighlight(-1); break;
        case VK_RETURN:
        case VK_SPACE: Choose(highlighted_); break;
        case VK_ESCAPE: Close(); break;
        case VK_RIGHT:
            if (highlighted_ >= 0 && menu_->items[highlighted_].submenu)
                Choose(highlighted_);
            break;
        case VK_LEFT:
            if (parentMenu_)
                Close();
            break;
        default: break;
        }
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR: {
        const LRESULT found = HandleMenuChar(*menu_, static_cast<UINT>(wParam), MF_POPUP);
        if (HIWORD(found) == MNC_EXECUTE)
            Choose(LOWORD(found));
        return 0;
    }
    case WM_MOUSEMOVE: {
        const int item = ItemAt(PointFromParam(lParam));
        if (item >= 0)
            Highlight(item);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        POINT screen = PointFromParam(lParam);
        if (Body().PtInRect(screen))
            return 0;
        // Outside a cascade but on the menu it came from: back to that menu.
        ClientToScreen(&screen);
        if (parentMenu_) {
            POINT inParent = screen;
            parentMenu_->ScreenToClient(&inParent);
            closeAll_ = !parentMenu_->Body().PtInRect(inParent);
        }
        Close();
        return 0;
    }
    case WM_LBUTTONUP:
        Choose(ItemAt(PointFromParam(lParam)));
        return 0;
    case WM_CANCELMODE:
        Close();
        return 0;
    case WM_FLATMENU_OPENCASCADE:
        OpenCascade(static_cast<int>(wParam));
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

unsigned TrackFlatPopupMenu(QWidget* owner, const std::vector<PopupMenuEntry>& entries, int x, int y) {
    auto menu = std::make_shared<Menu>();
    for (const PopupMenuEntry& entry : entries) {
        MenuItem item;
        item.text = entry.text;
        item.command = entry.command;
        item.type = entry.command == 0 ? UINT{MFT_SEPARATOR} : 0u;
        item.state = entry.enabled ? 0u : UINT{MFS_GRAYED | MFS_DISABLED};
        menu->items.push_back(item);
    }
    CFlatMenuWindow window(menu, nullptr, owner);
    window.Place(POINT{x, y}, RECT{}, false);
    return window.Track();
}
