#include "controls/optiontree/choice_tree_model.h"

#include <algorithm>

CChoiceTreeModel::CChoiceTreeModel() { root_.tree_ = this; }

CChoiceTreeModel::~CChoiceTreeModel() { DeleteChildren(&root_); }

CChoiceTreeItem* CChoiceTreeModel::InsertItem(CChoiceTreeItem* item, CChoiceTreeItem* parent) {
    if (!item)
        return nullptr;
    if (!parent)
        parent = &root_;
    CChoiceTreeItem** last = &parent->child_;
    while (*last)
        last = &(*last)->sibling_;
    *last = item;
    item->parent_ = parent;
    item->sibling_ = nullptr;
    item->tree_ = this;
    item->id_ = ++counter_;
    item->height_ = rowHeight_;
    SendNotify(CTN_INSERTITEM, item);
    RecomputeScrollRange();
    Repaint();
    return item;
}

void CChoiceTreeModel::DeleteChildren(CChoiceTreeItem* item) {
    while (CChoiceTreeItem* child = item->child_)
        DeleteItem(child);
}

void CChoiceTreeModel::DeleteItem(CChoiceTreeItem* item) {
    if (!item)
        return;
    visible_.clear();
    SendNotify(CTN_DELETEITEM, item == &root_ ? nullptr : item);
    DeleteChildren(item);
    if (item == &root_)
        return; // emptied, never destroyed
    CChoiceTreeItem** link = &item->parent_->child_;
    while (*link && *link != item)
        link = &(*link)->sibling_;
    if (*link)
        *link = item->sibling_;
    if (focused_ == item)
        focused_ = nullptr;
    item->DestroyEditor();
    delete item;
    Repaint();
}

void CChoiceTreeModel::DeleteAllItems() {
    DeleteItem(&root_);
    focused_ = nullptr;
    RecomputeScrollRange();
    Repaint();
    counter_ = 0;
}

void CChoiceTreeModel::ExpandAllItems() {
    EnumItems(nullptr, [](CChoiceTreeItem* item) {
        item->Expand(true);
        return true;
    });
    RecomputeScrollRange();
    Repaint();
}

void CChoiceTreeModel::UpdatedItems(CChoiceTreeItem* item) {
    if (item)
        item->OnRefresh();
    EnumItems(item, [](CChoiceTreeItem* each) {
        each->OnRefresh();
        return true;
    });
    RecomputeScrollRange();
    Repaint();
}

bool CChoiceTreeModel::EnumItems(CChoiceTreeItem* start, const std::function<bool(CChoiceTreeItem*)>& visit) {
    if (!start)
        start = &root_;
    bool result = true;
    for (CChoiceTreeItem* child = start->child_; child; child = child->sibling_) {
        if (!visit(child)) {
            result = false;
            continue;
        }
        if (!EnumItems(child, visit))
            result = false;
    }
    return result;
}

CChoiceTreeItem* CChoiceTreeModel::FindItem(int id) const {
    CChoiceTreeItem* found = nullptr;
    const_cast<CChoiceTreeModel*>(this)->EnumItems(nullptr, [&](CChoiceTreeItem* item) {
        if (item->GetItemID() == id && !found)
            found = item;
        return true;
    });
    return found;
}

void CChoiceTreeModel::SetFocusedItem(CChoiceTreeItem* item) {
    focused_ = item;
    if (item)
        EnsureVisible(item);
    Repaint();
}

void CChoiceTreeModel::SetColumn(int x) {
    column_ = std::max(x, CT_MARGIN);
    if (controlWidth_ > 0)
        column_ = std::min(column_, std::max(controlWidth_ - CT_MARGIN, CT_MARGIN));
    Repaint();
}

void CChoiceTreeModel::SetListSize(int width, int height) {
    listWidth_ = width;
    listHeight_ = height;
}

int CChoiceTreeModel::LayoutItem(CChoiceTreeItem* item, int x, int y) {
    visible_.push_back(item);
    item->origin_ = POINT{x, y};
    const int height = item->height_;
    const int top = y - scroll_;
    item->attribute_ = RECT{column_ + 5, top, listWidth_, top + height - 1};
    item->expandBox_ = item->child_ ? RECT{4, y + 5, 12, y + 13} : RECT{};
    int drawn = height;
    if (item->child_ && item->expanded_)
        for (CChoiceTreeItem* child = item->child_; child; child = child->sibling_)
            drawn += LayoutItem(child, item->IsCategory() ? x : x + CT_MARGIN, y + drawn);
    return drawn;
}

void CChoiceTreeModel::Layout() {
    visible_.clear();
    int y = 0;
    for (CChoiceTreeItem* item = root_.child_; item; item = item->sibling_)
        y += LayoutItem(item, 0, y);
}

bool CChoiceTreeModel::IsVisible(const CChoiceTreeItem* item) const {
    return std::find(visible_.begin(), visible_.end(), item) != visible_.end();
}

int CChoiceTreeModel::HitTest(POINT point, CChoiceTreeItem** hit) const {
    const int y = point.y + scroll_;
    CChoiceTreeItem* found = nullptr;
    for (CChoiceTreeItem* item : visible_)
        if (item->origin_.y <= y && y < item->origin_.y + item->height_) {
            found = item;
            break;
        }
    if (hit)
        *hit = found;
    if (!found)
        return CT_HIT_NONE;
    if (!found->IsCategory() && point.x >= column_ - CT_COLUMN_CAPTURE && point.x <= column_ + CT_COLUMN_CAPTURE)
        return CT_HIT_COLUMN;
    if (point.x > column_ + CT_COLUMN_CAPTURE)
        return CT_HIT_ATTRIBUTE;
    if (found->expandBox_.PtInRect(POINT{point.x, y}))
        return CT_HIT_EXPAND;
    return CT_HIT_LABEL;
}

int CChoiceTreeModel::ContentHeight() const {
    int total = 0;
    for (const CChoiceTreeItem* item = root_.child_; item; item = item->sibling_)
        total += item->GetTotalHeight();
    return total;
}

void CChoiceTreeModel::ScrollTo(int offset) {
    // Within the content; never below 0, also when the content is shorter than the window.
    scroll_ = std::max(0, std::min(offset, ContentHeight() - ScrollPage()));
    SetScrollBar(ContentHeight(), ScrollPage(), scroll_);
    Layout();
    Repaint();
}

void CChoiceTreeModel::RecomputeScrollRange() {
    const int total = ContentHeight();
    if (total < ScrollPage())
        scroll_ = 0;
    scroll_ = std::max(0, std::min(scroll_, total - ScrollPage()));
    SetScrollBar(total, ScrollPage(), scroll_);
    SetColumn(column_);
    Layout();
}

void CChoiceTreeModel::EnsureVisible(CChoiceTreeItem* item) {
    Layout();
    if (!IsVisible(item)) {
        for (CChoiceTreeItem* up = item->parent_; up && up != &root_; up = up->parent_)
            up->Expand(true);
        RecomputeScrollRange();
        Repaint();
    }
    if (!IsVisible(item))
        return;
    const int top = item->origin_.y;
    const RECT view{0, scroll_, listWidth_, scroll_ + listHeight_ - item->height_};
    if (top >= view.top && top < view.bottom)
        return;
    ScrollTo(top < view.top ? top : top + 2 * item->height_ - listHeight_);
}

COLORREF ClassicTreeColor(int index) {
    switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(192, 192, 192);
    default: return RGB(0, 0, 0);
    }
}

std::string DumpChoiceTree(CChoiceTreeModel& tree) {
    std::string dump;
    std::function<void(CChoiceTreeItem*, int)> row = [&](CChoiceTreeItem* item, int depth) {
        dump += item == tree.GetFocusedItem() ? "> " : "  ";
        dump += std::string(static_cast<size_t>(depth) * 2, ' ');
        if (item->IsCategory()) {
            dump += "[" + item->GetLabelText() + "]";
        } else {
            dump += item->GetLabelText() + " = " + item->GetValueText();
            if (item->IsReadOnly())
                dump += " (read-only)";
        }
        dump += "\n";
        if (item->IsExpanded())
            for (CChoiceTreeItem* child = item->GetChild(); child; child = child->GetSibling())
                row(child, depth + 1);
    };
    for (CChoiceTreeItem* item = tree.GetRootItem()->GetChild(); item; item = item->GetSibling())
        row(item, 0);
    return dump;
}
