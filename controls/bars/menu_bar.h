#pragma once
// CMenuBar: the window's menu as a row of flat buttons, one per top-level
// item with its mnemonic. A click (or Alt+letter, or Alt or F10 and then
// the arrows) opens the item's menu under its button with the first item
// highlighted; while it is open, sliding the mouse to another button or
// pressing Left and Right switches menus, Esc leaves the button hot, and a
// click on the open menu's button closes it. The menu's input is watched
// through hooks on the menu windows. A chosen command goes to the command
// handler, and each item is enabled by the command-state rule, both given
// by the window that owns the menu.
#include "controls/bars/flat_menu_model.h"
#include "controls/bars/flat_menu_window.h"
#include "controls/bars/menu_bar_tracking.h"
#include "controls/bars/tool_bar.h"
#include "controls/util/wnd_hook.h"

#include <QPointer>
#include <functional>
#include <memory>


enum : UINT { WM_MENUBAR_HIDEFRAMEMENU = WM_USER + 1100, WM_MENUBAR_TRACKPOPUP = WM_USER + 1101 };

class CMenuBar : public CFlatToolBar {
public:
    explicit CMenuBar(QWidget* parent = nullptr);
    ~CMenuBar() override;

    // Builds one button per top-level item with text; returns the menu
    // loaded before. The window's own menu bar, if it shows one, is hidden.
    std::shared_ptr<Menu> LoadMenu(std::shared_ptr<Menu> menu);
    std::shared_ptr<Menu> GetMenu() const { return menu_; }
    // Opens button's menu and serves it, and the menus the user switches to,
    // until the user leaves the menus.
    void TrackPopup(int button, bool byKeyboard = false);

    void SetCommandHandler(std::function<void(unsigned)> handler) { onCommand_ = std::move(handler); }
    void SetCommandState(std::function<bool(unsigned)> rule) { isEnabled_ = std::move(rule); }
    // Where item images come from: the window's toolbars, by command.
    void SetImageSource(std::function<const QImage*(unsigned)> source) { images_ = std::move(source); }

    const MenuBarTracking& Tracking() const { return tracking_; }
    // The menu open now, null when none is.
    CFlatMenuWindow* OpenMenu() const { return openMenu_; }
    bool hideFrameMenu = true;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void DrawButton(QPainter& painter, int index, const RECT& rect) override;
    SIZE MeasureButton(int index) const override;

private:
    // Watches the open menu's input for the switching of menus.
    class MenuInputHook : public CWndHook {
    public:
        explicit MenuInputHook(CMenuBar& bar) : bar_(bar) {}
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        CMenuBar& bar_;
    };

    // An input of an open menu window; true swallows it.
    bool OnMenuInput(CWnd* menuWindow, UINT message, WPARAM wParam, LPARAM lParam);
    // The button whose item has mnemonic character, -1 for none.
    int MnemonicButton(UINT character) const;
    bool OnKeyInWindow(QKeyEvent* key);
    void SetTrackingState(TrackingState state, int button);
    void CreateBarFont();

    std::shared_ptr<Menu> menu_;
    MenuBarTracking tracking_;
    // One hook on each menu window open from the bar: the menu and its cascades.
    std::vector<std::unique_ptr<MenuInputHook>> inputHooks_;
    QPointer<CFlatMenuWindow> openMenu_;
    std::function<void(unsigned)> onCommand_;
    std::function<bool(unsigned)> isEnabled_;
    std::function<const QImage*(unsigned)> images_;
    POINT lastMouse_{-1, -1};
    bool altAlone_ = false; // Alt is down and no other key came since
    bool openedByKeyboard_ = false;
};
