#pragma once
// An item of the option tree: a label and a description, tree links, the
// row's geometry from the last layout, selection, expansion, editing and
// read-only flags, and colours. Concrete kinds (drop-down list, spinner,
// folder) override the editor operations. Plain C++; drawing the value
// takes the window layer's drawing context, which is only declared here.
#include "controls/optiontree/option_tree_types.h"

#include <string>

class CDC;
class CChoiceTreeModel;

class CChoiceTreeItem {
public:
    CChoiceTreeItem() = default;
    virtual ~CChoiceTreeItem() = default;
    CChoiceTreeItem(const CChoiceTreeItem&) = delete;
    CChoiceTreeItem& operator=(const CChoiceTreeItem&) = delete;

    // ---- what a kind does (nothing here)
    virtual void DrawAttribute(CDC*, const RECT&) {}
    virtual void OnActivate() {}
    virtual void OnLayoutChanged() {}
    virtual void OnRefresh() {}
    virtual void OnCommit() {}
    virtual void DestroyEditor() {}
    virtual void OnDeselect() {}
    virtual void OnSelect() {}
    virtual void OnExpand(bool) {}
    // The value as text, as the item shows it (nothing here).
    virtual std::string GetValueText() const { return std::string(); }

    // ---- texts and state
    void SetLabelText(const std::string& text) { label_ = text; }
    const std::string& GetLabelText() const { return label_; }
    void SetInfoText(const std::string& text) { info_ = text; }
    const std::string& GetInfoText() const { return info_; }
    int GetItemID() const { return id_; }
    void ReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool IsReadOnly() const { return readOnly_; }
    bool IsSelected() const { return selected_; }
    bool IsExpanded() const { return expanded_; }
    bool IsEditing() const { return editing_; }
    bool IsCategory() const;
    // Stores the flag and tells the item and every descendant.
    void Expand(bool expand);
    void Select(bool select);
    // Opens the editor (a new editing cycle).
    void Activate();
    // Ends the cycle once: hides the editor, tells the owner, refreshes.
    void CommitChanges();
    int GetHeight() const { return height_; }
    void SetHeight(int height) { height_ = height; }
    // Own height plus, when expanded, the children's.
    int GetTotalHeight() const;
    void SetTopAlignedLabel(bool on) { topAlignedLabel_ = on; }
    bool IsTopAlignedLabel() const { return topAlignedLabel_; }

    // ---- colours: RGB values. One never set (or set to CLR_DEFAULT) is the
    // system colour of its role, read when asked, so that a change of the
    // system colours shows at the next paint.
    void SetValueBackgroundColor(COLORREF c) { valueBack_ = c; }
    void SetValueTextColor(COLORREF c) { valueText_ = c; }
    void SetCategoryBackgroundColor(COLORREF c) { categoryBack_ = c; }
    void SetLabelTextColor(COLORREF c) { labelText_ = c; }
    void SetLabelBackgroundColor(COLORREF c) { labelBack_ = c; }
    COLORREF GetValueBackgroundColor() const { return Resolved(valueBack_, COLOR_WINDOW); }
    COLORREF GetValueTextColor() const { return Resolved(valueText_, COLOR_BTNTEXT); }
    COLORREF GetCategoryBackgroundColor() const { return Resolved(categoryBack_, COLOR_BTNFACE); }
    COLORREF GetLabelTextColor() const { return Resolved(labelText_, COLOR_BTNTEXT); }
    COLORREF GetLabelBackgroundColor() const { return Resolved(labelBack_, COLOR_WINDOW); }

    // ---- links and geometry
    CChoiceTreeItem* GetParent() const { return parent_; }
    CChoiceTreeItem* GetChild() const { return child_; }
    CChoiceTreeItem* GetSibling() const { return sibling_; }
    CChoiceTreeModel* GetTree() const { return tree_; }
    // The value cell in list client coordinates (editors go there); empty
    // until the first layout.
    const RECT& GetAttributeRect() const { return attribute_; }
    const RECT& GetExpandBox() const { return expandBox_; }
    POINT GetOrigin() const { return origin_; }
    const RECT& GetLabelTextRect() const { return labelTextRect_; }
    void SetLabelTextRect(const RECT& rect) { labelTextRect_ = rect; }

private:
    friend class CChoiceTreeModel;
    // The colour as set, or the tree's system colour of the role.
    COLORREF Resolved(COLORREF colour, int systemIndex) const;
    // OnExpand on this item and every descendant, their flags untouched.
    void TellExpansion(bool expand);
    std::string label_, info_;
    int id_ = 0;
    CChoiceTreeItem* parent_ = nullptr;
    CChoiceTreeItem* sibling_ = nullptr;
    CChoiceTreeItem* child_ = nullptr;
    CChoiceTreeModel* tree_ = nullptr;
    RECT expandBox_{};
    RECT attribute_{};
    RECT labelTextRect_{};
    POINT origin_{};
    bool committed_ = false;
    int height_ = CT_ROW_HEIGHT;
    bool selected_ = false, expanded_ = false, editing_ = false, readOnly_ = false, topAlignedLabel_ = false;
    COLORREF valueBack_ = CLR_DEFAULT, valueText_ = CLR_DEFAULT, categoryBack_ = CLR_DEFAULT,
             labelText_ = CLR_DEFAULT, labelBack_ = CLR_DEFAULT;
};
