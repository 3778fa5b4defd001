#pragma once
// CChoiceTree: the option tree control. The outer window holds the model
// (CChoiceTreeModel), the list window that paints the rows and takes the
// input (CChoiceTreeList, with a vertical scroll bar) and, with
// CT_SHOWINFOPANE, the description pane (CChoiceTreeInfo) along the bottom.
// It tells its owner with WM_NOTIFY and ChoiceTreeNotify records.
#include "controls/optiontree/choice_tree_model.h"
#include "platform/ui/dc.h"
#include "platform/ui/wnd.h"

#include <string>

class CChoiceTree;

class CChoiceTreeList : public CWnd {
public:
    explicit CChoiceTreeList(CChoiceTree* tree) : tree_(tree) {}
    bool IsDragging() const { return dragging_; }
    // Whether the keyboard focus is in the list or one of its editors.
    bool HasFocusInside() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    int DrawItem(CDC& dc, CChoiceTreeItem* item, const RECT& client);
    void OnLButtonDown(POINT point);
    void OnLButtonDblClk(POINT point);
    void OnKeyDown(UINT key);
    void MoveTo(CChoiceTreeItem* item);
    void ToggleExpansion(CChoiceTreeItem* item);
    // Selects only item; tells the owner when it is not the one before.
    void ChooseItem(CChoiceTreeItem* item, CChoiceTreeItem* previous);
    void AutoSizeColumn();
    void LayoutChanged();
    // The whole text of a label or one-line value under the point that is
    // drawn cut short; empty where the text shows whole.
    std::string TextCutShortAt(POINT point) const;
    void ShowCutTextAt(POINT point);

    CChoiceTree* tree_;
    bool dragging_ = false;
    int dragX_ = 0;
};

class CChoiceTreeInfo : public CWnd {
public:
    explicit CChoiceTreeInfo(CChoiceTree* tree) : tree_(tree) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CChoiceTree* tree_;
};

class CChoiceTree : public CWnd, public CChoiceTreeModel {
public:
    CChoiceTree();
    ~CChoiceTree() override;

    BOOL Create(uint32_t style, const RECT& rect, CWnd* parent, UINT options, UINT id);
    void SetNotify(bool on, CWnd* owner);
    // Moves the divider right so that every label shows whole, once the
    // font is larger than the reference the layout was drawn for, and
    // grows the description pane for the longest description.
    void FitColumnToLabels();
    // The description pane's height at a width: every description whole,
    // at least the layout's, at most half the tree's height.
    int InfoPaneHeight(int width, int treeHeight);
    CChoiceTreeList* GetListWindow() { return &list_; }
    CChoiceTreeInfo* GetInfoWindow() { return &info_; }

    // The fonts every tree shares: normal and bold, from the menu font.
    static const QFont& NormalFont();
    static const QFont& BoldFont();

    // ---- model hooks
    LRESULT SendNotify(int code, CChoiceTreeItem* item) override;
    void Repaint() override;
    void SetScrollBar(int maximum, int page, int position) override;
    COLORREF SysColor(int index) const override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void LayOut();
    static void RebuildFonts();
    CChoiceTreeList list_;
    CChoiceTreeInfo info_;
    QPointer<CWnd> notifyOwner_;
};
