#include "controls/optiontree/choice_tree_item.h"

#include "controls/optiontree/choice_tree_model.h"

bool CChoiceTreeItem::IsCategory() const { return tree_ && parent_ == tree_->GetRootItem(); }

void CChoiceTreeItem::Expand(bool expand) {
    expanded_ = expand;
    TellExpansion(expand);
}

// The descendants keep their own flags, so a parent expanded again shows
// them as they were.
void CChoiceTreeItem::TellExpansion(bool expand) {
    OnExpand(expand);
    for (CChoiceTreeItem* child = child_; child; child = child->sibling_)
        child->TellExpansion(expand);
}

COLORREF CChoiceTreeItem::Resolved(COLORREF colour, int systemIndex) const {
    if (colour != CLR_DEFAULT)
        return colour;
    return tree_ ? tree_->SysColor(systemIndex) : ClassicTreeColor(systemIndex);
}

void CChoiceTreeItem::Select(bool select) {
    selected_ = select;
    if (select)
        OnSelect();
    else
        OnDeselect();
}

void CChoiceTreeItem::Activate() {
    editing_ = true;
    committed_ = false;
    OnActivate();
}

void CChoiceTreeItem::CommitChanges() {
    editing_ = false;
    if (committed_)
        return;
    committed_ = true;
    if (!tree_)
        return;
    OnCommit();
    tree_->SendNotify(CTN_ITEMCHANGED, this);
    tree_->UpdatedItems(this);
}

int CChoiceTreeItem::GetTotalHeight() const {
    int total = height_;
    if (expanded_)
        for (const CChoiceTreeItem* child = child_; child; child = child->sibling_)
            total += child->GetTotalHeight();
    return total;
}
