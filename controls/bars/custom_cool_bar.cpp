#include "controls/bars/custom_cool_bar.h"

CCustomCoolBar::CCustomCoolBar(std::shared_ptr<Menu> menu, QWidget* parent)
    : CCoolBar(parent), menu_(std::move(menu)), menuBar_(nullptr) {}

bool CCustomCoolBar::OnCreateBands() {
    if (!menuBar_.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, RECT{}, this, AFX_IDW_TOOLBAR))
        return false;
    menuBar_.LoadMenu(menu_);
    const RECT first = menuBar_.GetItemRect(0);
    const SIZE size = menuBar_.CalcDynamicLayout(-1, LM_HORZ);
    return InsertBand(&menuBar_, size.cx, first.Height(), 2047, 0);
}
