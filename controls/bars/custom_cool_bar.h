#pragma once
// CCustomCoolBar: the main window's cool bar, whose one band is the menu bar
// showing the window's menu.
#include "controls/bars/cool_bar.h"
#include "controls/bars/menu_bar.h"

class CCustomCoolBar : public CCoolBar {
public:
    explicit CCustomCoolBar(std::shared_ptr<Menu> menu, QWidget* parent = nullptr);
    CMenuBar& MenuBar() { return menuBar_; }

protected:
    bool OnCreateBands() override;

private:
    std::shared_ptr<Menu> menu_;
    CMenuBar menuBar_;
};
