#pragma once
// CFlatMenuWindow: a drop-down menu window of our own, drawn flat: items
// with the image column and the tinted selection, the three-line frame with
// the line that joins it to its pressed menu-bar button, and a 4-pixel
// shadow over a snapshot of what lies behind. It runs its own loop until it
// closes: arrows move the highlight, Return or a click chooses, a mnemonic
// letter chooses its item, Esc or a click outside closes it. An item with a
// submenu opens it beside itself (Right, Return or a click); Left or Esc
// closes that cascade again. Highlighting sends
// the window WM_MENUSELECT, so a hook on the window can follow the menu; a
// watcher hears of every menu window made, as a thread's message hook would.
#include "controls/bars/flat_menu_model.h"
#include "platform/ui/ui_services.h"
#include "platform/ui/wnd.h"

#include <QEventLoop>
#include <QImage>
#include <functional>
#include <memory>

enum : UINT { WM_CANCELMODE = 0x001F, WM_MENUSELECT = 0x011F, WM_MENUCHAR = 0x0120 };
// Opens the cascade of the item in wParam once the input asking for it is handled.
enum : UINT { WM_FLATMENU_OPENCASCADE = WM_USER + 1102 };

class CFlatMenuWindow : public CWnd {
public:
    // The image of a command's item (null: none), from the frame's toolbars.
    using ImageLookup = std::function<const QImage*(unsigned command)>;

    CFlatMenuWindow(std::shared_ptr<Menu> menu, ImageLookup images, QWidget* context);
    ~CFlatMenuWindow() override;

    // Told of each menu window as it is made (null: nobody); returns the previous watcher.
    using Watcher = std::function<void(CFlatMenuWindow*)>;
    static Watcher SetWatcher(Watcher watcher);

    // Places the menu with its top-left at a screen point, prepared for
    // drawing; dropped: the pressed menu-bar button on screen (empty: none).
    void Place(POINT screen, const RECT& dropped, bool byKeyboard);
    // Shows the menu and serves its loop until it closes: the command chosen, 0 for none.
    unsigned Track();
    // Closes the menu with a command (0: none).
    void Close(unsigned command = 0);

    const Menu& GetMenu() const { return *menu_; }
    // The cascade open from this menu, null when none is.
    CFlatMenuWindow* OpenCascade() const { return cascade_; }
    int Highlighted() const { return highlighted_; }
    void Highlight(int index);
    // An item's rectangle in client coordinates; the menu body without the shadow.
    RECT ItemRect(int index) const;
    RECT Body() const;
    // What lies behind the window, for the shadow; taken by Place from the
    // window it belongs to where it lies over it, else from the screen.
    void SetBackdrop(const QImage& backdrop) { backdrop_ = backdrop; }
    // The window as drawn.
    QImage Picture();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool event(QEvent* event) override;

private:
    int ItemAt(POINT client) const;
    void MoveHighlight(int step);
    void Choose(int index);
    // Opens the highlighted item's submenu beside it and serves it until it closes.
    void OpenCascade(int index);
    void Paint(QPainter& painter);

    std::shared_ptr<Menu> menu_;
    ImageLookup images_;
    std::vector<const QImage*> itemImages_; // looked up when the menu is placed
    QFont font_;
    int highlighted_ = -1;
    bool byKeyboard_ = false;
    int droppedLeft_ = 0, droppedRight_ = 0;
    QImage backdrop_;
    unsigned chosen_ = 0;
    bool open_ = false;
    bool closeAll_ = false; // a cascade closed for a click outside every menu
    CFlatMenuWindow* parentMenu_ = nullptr;
    CFlatMenuWindow* cascade_ = nullptr;
    QEventLoop loop_;
};

// A pop-up menu of entries in the flat look at a screen point: the command
// chosen, 0 for none (the desktop services' presenter in the program).
unsigned TrackFlatPopupMenu(QWidget* owner, const std::vector<PopupMenuEntry>& entries, int x, int y);
