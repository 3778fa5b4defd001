#pragma once
// The option tree's model and layout in plain C++: the item tree under an
// invisible root, identifiers in insertion order, the focused item, the
// divider, the scroll offset, the visible chain with each row's place, hit-
// testing and the scroll range. What needs a window (telling the owner,
// repainting, the scroll bar) goes through virtual hooks that do nothing
// here; CChoiceTree fills them in.
#include "controls/optiontree/choice_tree_item.h"

#include <functional>
#include <string>
#include <vector>

// The classic colours of the roles items take from the system: window,
// button face and button text (black for other indexes).
COLORREF ClassicTreeColor(int index);

class CChoiceTreeModel {
public:
    CChoiceTreeModel();
    virtual ~CChoiceTreeModel();
    CChoiceTreeModel(const CChoiceTreeModel&) = delete;
    CChoiceTreeModel& operator=(const CChoiceTreeModel&) = delete;

    // ---- items
    // Appends item as the last child of parent (null: the root); the tree owns it.
    CChoiceTreeItem* InsertItem(CChoiceTreeItem* item, CChoiceTreeItem* parent = nullptr);
    void DeleteItem(CChoiceTreeItem* item);
    void DeleteAllItems();
    void ExpandAllItems();
    // OnRefresh on the item and every item below it (every item for null).
    void UpdatedItems(CChoiceTreeItem* item = nullptr);
    CChoiceTreeItem* FindItem(int id) const;
    // Pre-order from start (the root for null, which itself is not visited);
    // a false answer skips that item's subtree and makes the result false.
    bool EnumItems(CChoiceTreeItem* start, const std::function<bool(CChoiceTreeItem*)>& visit);
    CChoiceTreeItem* GetRootItem() { return &root_; }
    CChoiceTreeItem* GetFocusedItem() const { return focused_; }
    void SetFocusedItem(CChoiceTreeItem* item);

    // ---- options and layout
    UINT GetOptions() const { return options_; }
    void SetOptions(UINT options) { options_ = options; }
    int GetColumn() const { return column_; }
    // The height an item takes as it is inserted.
    int GetRowHeight() const { return rowHeight_; }
    void SetRowHeight(int height) { rowHeight_ = height; }
    // The divider, kept within [16, control width - 16].
    void SetColumn(int x);
    void SetControlWidth(int width) { controlWidth_ = width; }
    void SetListSize(int width, int height);
    int GetListWidth() const { return listWidth_; }
    int GetListHeight() const { return listHeight_; }
    int GetScrollOffset() const { return scroll_; }
    // Lays the visible rows out from the current offset and divider: origins,
    // value cells, expand boxes and the visible chain.
    void Layout();
    const std::vector<CChoiceTreeItem*>& VisibleItems() const { return visible_; }
    bool IsVisible(const CChoiceTreeItem* item) const;
    int HitTest(POINT point, CChoiceTreeItem** item = nullptr) const;
    // The whole content's height; the range the scroll bar shows.
    int ContentHeight() const;
    int ScrollPage() const { return listHeight_ + 1; }
    // Sets the offset within [0, content - page] and tells the window.
    void ScrollTo(int offset);
    void EnsureVisible(CChoiceTreeItem* item);
    // After inserts, deletes, expansion changes and sizing.
    void RecomputeScrollRange();

    // ---- hooks
    virtual LRESULT SendNotify(int, CChoiceTreeItem*) { return 0; }
    virtual void Repaint() {}
    virtual void SetScrollBar(int /*maximum*/, int /*page*/, int /*position*/) {}
    // The system colour of a Win32 colour index (the classic one here).
    virtual COLORREF SysColor(int index) const { return ClassicTreeColor(index); }

private:
    void DeleteChildren(CChoiceTreeItem* item);
    int LayoutItem(CChoiceTreeItem* item, int x, int y);

    CChoiceTreeItem root_;
    CChoiceTreeItem* focused_ = nullptr;
    int counter_ = 0;
    int column_ = CT_COLUMN;
    int rowHeight_ = CT_ROW_HEIGHT;
    int scroll_ = 0;
    UINT options_ = 0;
    int controlWidth_ = 0;
    int listWidth_ = 0, listHeight_ = 0;
    std::vector<CChoiceTreeItem*> visible_;
};

// A readable picture of the tree, a row a line in display order:
//   [Output General Options]
//   > Page Range = All Pages
//     Begin Page = 1 (read-only)
// ">" marks the focused item; children of collapsed items are left out.
std::string DumpChoiceTree(CChoiceTreeModel& tree);
