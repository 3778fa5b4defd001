#pragma once
// Driving a menu bar as a user does while its menus run their own loops:
// the steps of a script run one after another from a timer, inside
// whichever loop is running, and the test waits until they have all run
// and no menu is open.
#include "controls/bars/menu_bar.h"

#include <QPoint>
#include <functional>
#include <string>
#include <vector>

class MenuScript {
public:
    explicit MenuScript(CMenuBar& bar) : bar_(bar) {}
    MenuScript& Then(std::function<void()> step);
    // Runs the steps 40 ms apart; false when they did not all run, or a menu
    // was still open, within the time.
    bool Run(int timeoutMs = 10000);

    // Steps a user takes.
    void ClickButton(int index);                  // on the bar
    void MoveOverButton(int index);               // over the bar, while a menu is open
    void KeyToMenu(Qt::Key key, Qt::KeyboardModifiers modifiers = {}); // to the innermost open menu
    void KeyToWindow(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
    void ClickItem(unsigned command);             // in the innermost open menu

private:
    CMenuBar& bar_;
    std::vector<std::function<void()>> steps_;
};

// Opens the menu that holds command and clicks its item.
bool ChooseMenuCommand(CMenuBar& bar, unsigned command);

class CFlatMenuWindow;
// The innermost menu open from the bar (a cascade's), null when none is.
CFlatMenuWindow* InnermostMenu(const CMenuBar& bar);
// How many menus are open from the bar: its menu and the cascades.
int OpenMenuDepth(const CMenuBar& bar);

// The bar as a line: "TRACK_POPUP hot=1 open=&Edit".
std::string DescribeMenuBar(const CMenuBar& bar);
