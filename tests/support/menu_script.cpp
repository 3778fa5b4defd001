#include "tests/support/menu_script.h"

#include "controls/bars/flat_menu_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

namespace {

QPoint Center(const RECT& rect) { return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2); }

// A mouse event as the platform delivers it while a menu holds the mouse:
// to the menu window, wherever the pointer is.
void SendMouse(QWidget* target, QEvent::Type type, const QPoint& global) {
    const QPoint local = target->mapFromGlobal(global);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

MenuScript& MenuScript::Then(std::function<void()> step) {
    steps_.push_back(std::move(step));
    return *this;
}

bool MenuScript::Run(int timeoutMs) {
    size_t next = 0;
    QTimer timer;
    timer.setInterval(40);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (next < steps_.size())
            steps_[next++]();
    });
    timer.start();
    QElapsedTimer clock;
    clock.start();
    while ((next < steps_.size() || bar_.OpenMenu()) && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // Let the last step's posted work run.
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return next == steps_.size() && !bar_.OpenMenu();
}

void MenuScript::ClickButton(int index) {
    QWidget* target = bar_.OpenMenu() ? static_cast<QWidget*>(bar_.OpenMenu()) : bar_.ClientWidget();
    const QPoint global = bar_.ClientWidget()->mapToGlobal(Center(bar_.GetItemRect(index)));
    SendMouse(target, QEvent::MouseButtonPress, global);
    SendMouse(bar_.OpenMenu() ? static_cast<QWidget*>(bar_.OpenMenu()) : bar_.ClientWidget(),
              QEvent::MouseButtonRelease, global);
}

void MenuScript::MoveOverButton(int index) {
    QWidget* target = bar_.OpenMenu() ? static_cast<QWidget*>(bar_.OpenMenu()) : bar_.ClientWidget();
    SendMouse(target, QEvent::MouseMove, bar_.ClientWidget()->mapToGlobal(Center(bar_.GetItemRect(index))));
}

// The menu that takes the input: the innermost cascade, or the bar's menu.
CFlatMenuWindow* InnermostMenu(const CMenuBar& bar) {
    CFlatMenuWindow* menu = bar.OpenMenu();
    while (menu && menu->OpenCascade())
        menu = menu->OpenCascade();
    return menu;
}

void MenuScript::KeyToMenu(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (CFlatMenuWindow* menu = InnermostMenu(bar_))
        QTest::keyClick(menu, key, modifiers);
}

void MenuScript::KeyToWindow(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : bar_.window();
    QTest::keyClick(focus, key, modifiers);
}

void MenuScript::ClickItem(unsigned command) {
    CFlatMenuWindow* menu = InnermostMenu(bar_);
    if (!menu)
        return;
    const auto& items = menu->GetMenu().items;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].command == command && !items[i].IsSeparator()) {
            const QPoint global = menu->mapToGlobal(Center(menu->ItemRect(static_cast<int>(i))));
            SendMouse(menu, QEvent::MouseMove, global);
            SendMouse(menu, QEvent::MouseButtonPress, global);
            SendMouse(menu, QEvent::MouseButtonRelease, global);
            return;
        }
}

bool ChooseMenuCommand(CMenuBar& bar, unsigned command) {
    const auto& menus = bar.GetMenu()->items;
    for (size_t b = 0; b < menus.size(); ++b)
        for (const MenuItem& item : menus[b].submenu->items)
            if (item.command == command) {
                MenuScript script(bar);
                script.Then([&script, b] { script.ClickButton(static_cast<int>(b)); })
                    .Then([&script, command] { script.ClickItem(command); });
                return script.Run();
            }
    return false;
}

int OpenMenuDepth(const CMenuBar& bar) {
    int depth = 0;
    for (CFlatMenuWindow* menu = bar.OpenMenu(); menu; menu = menu->OpenCascade())
        ++depth;
    return depth;
}

std::string DescribeMenuBar(const CMenuBar& bar) {
    static const char* const states[] = {"TRACK_NONE", "TRACK_BUTTON", "TRACK_POPUP"};
    std::string line = std::string(states[bar.Tracking().State()]) + " hot=" + std::to_string(bar.Tracking().HotItem());
    if (CFlatMenuWindow* menu = bar.OpenMenu()) {
        const auto& menus = bar.GetMenu()->items;
        for (const MenuItem& top : menus)
            if (top.submenu.get() == &menu->GetMenu())
                line += " open=" + top.text;
    }
    return line;
}
