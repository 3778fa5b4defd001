// The option tree list's mouse, keyboard and scrolling.
#include "controls/optiontree/choice_tree.h"

#include "platform/ui/dialog_metrics.h"
#include "platform/ui/input_state.h"

#include <QApplication>
#include <algorithm>

namespace {

bool Activatable(const CChoiceTreeItem* item) { return item && !item->IsCategory() && !item->IsReadOnly(); }

} // namespace

std::string CChoiceTreeList::TextCutShortAt(POINT point) const {
    CChoiceTreeItem* item = nullptr;
    tree_->HitTest(point, &item);
    if (!item)
        return {};
    const bool category = item->IsCategory();
    const RECT& value = item->GetAttributeRect();
    if (!category && point.x >= value.left) {
        // As drawn: a pixel in from the cell's left edge, on one line.
        const std::string text = item->GetValueText();
        const bool oneLine = text.find('\n') == std::string::npos;
        const bool cut = DialogMetrics::TextWidth(CChoiceTree::NormalFont(), text) > value.Width() - 1;
        return oneLine && cut ? text : std::string();
    }
    // The label's room, as drawing shortens it.
    const int room = (category ? GetClientRect().right : tree_->GetColumn()) - (item->GetOrigin().x + CT_MARGIN + 5);
    const std::string& label = item->GetLabelText();
    const QFont& font = category ? CChoiceTree::BoldFont() : CChoiceTree::NormalFont();
    return DialogMetrics::TextWidth(font, label) + 1 > room ? label : std::string();
}

void CChoiceTreeList::ShowCutTextAt(POINT point) {
    const QString tip = QString::fromLocal8Bit(TextCutShortAt(point).c_str());
    if (ClientWidget()->toolTip() != tip)
        ClientWidget()->setToolTip(tip);
}

LRESULT CChoiceTreeList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE: {
        const RECT client = GetClientRect();
        tree_->SetListSize(client.right, client.bottom);
        tree_->RecomputeScrollRange();
        LayoutChanged();
        return 0;
    }
    case WM_SETCURSOR: {
        POINT at = PointFromParam(GetMessagePos());
        ScreenToClient(&at);
        const int hit = tree_->HitTest(at);
        if (hit == CT_HIT_COLUMN || hit == CT_HIT_EXPAND) {
            ::SetCursor(hit == CT_HIT_COLUMN ? Cursor::SizeWE : Cursor::Hand);
            return 1;
        }
        break;
    }
    case WM_LBUTTONDOWN:
        if (tree_->isEnabled())
            OnLButtonDown(PointFromParam(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) {
            dragX_ = PointFromParam(static_cast<uintptr_t>(lParam)).x;
            Invalidate(false);
        } else {
            ShowCutTextAt(PointFromParam(static_cast<uintptr_t>(lParam)));
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
            const int x = PointFromParam(static_cast<uintptr_t>(lParam)).x;
            tree_->SetColumn(x > 40 ? std::min(x, GetClientRect().right - 25) : 41);
            LayoutChanged();
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        if (tree_->isEnabled())
            OnLButtonDblClk(PointFromParam(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_MOUSEWHEEL:
        if (tree_->ContentHeight() >= GetClientRect().bottom) {
            SetFocus();
            const int lines = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1;
            tree_->ScrollTo(tree_->GetScrollOffset() + lines * tree_->GetRowHeight());
        }
        return 1;
    case WM_VSCROLL: {
        SetFocus();
        const int offset = tree_->GetScrollOffset(), page = tree_->ScrollPage(), line = tree_->GetRowHeight();
        switch (LOWORD(wParam)) {
        case SB_LINEUP: tree_->ScrollTo(offset - line); break;
        case SB_LINEDOWN: tree_->ScrollTo(offset + line); break;
        case SB_PAGEUP: tree_->ScrollTo(offset - page); break;
        case SB_PAGEDOWN: tree_->ScrollTo(offset + page); break;
        case SB_THUMBTRACK: tree_->ScrollTo(HIWORD(wParam)); break;
        default: break;
        }
        LayoutChanged();
        return 0;
    }
    case WM_KEYDOWN:
        if (tree_->isEnabled())
            OnKeyDown(static_cast<UINT>(wParam));
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: // the focused row's rectangle comes and goes
        Invalidate(false);
        return CWnd::WindowProc(message, wParam, lParam);
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

bool CChoiceTreeList::HasFocusInside() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void CChoiceTreeList::LayoutChanged() {
    tree_->Layout();
    tree_->EnumItems(nullptr, [](CChoiceTreeItem* item) {
        item->OnLayoutChanged();
        return true;
    });
    Invalidate(false);
}

void CChoiceTreeList::ChooseItem(CChoiceTreeItem* item, CChoiceTreeItem* previous) {
    tree_->EnumItems(nullptr, [](CChoiceTreeItem* each) {
        if (each->IsSelected())
            each->Select(false);
        return true;
    });
    if (item)
        item->Select(true);
    if (item != previous)
        tree_->SendNotify(CTN_SELCHANGE, item);
}

void CChoiceTreeList::ToggleExpansion(CChoiceTreeItem* item) {
    if (!item->GetChild() || tree_->SendNotify(CTN_ITEMEXPANDING, item))
        return;
    item->Expand(!item->IsExpanded());
    tree_->RecomputeScrollRange();
    CChoiceTreeItem* focused = tree_->GetFocusedItem();
    if (focused && !tree_->IsVisible(focused)) {
        focused->Select(false);
        tree_->SetFocusedItem(nullptr);
        tree_->SendNotify(CTN_SELCHANGE, nullptr);
    }
    LayoutChanged();
}

void CChoiceTreeList::OnLButtonDown(POINT point) {
    SetFocus();
    CChoiceTreeItem* item = nullptr;
    const int hit = tree_->HitTest(point, &item);
    if (hit == CT_HIT_COLUMN) {
        if (!tree_->SendNotify(CTN_COLUMNCLICK, item)) {
            SetCapture();
            dragging_ = true;
            dragX_ = tree_->GetColumn();
        }
    } else if (hit == CT_HIT_EXPAND) {
        ToggleExpansion(item);
    } else if (item) {
        ChooseItem(item, tree_->GetFocusedItem());
        if (hit == CT_HIT_ATTRIBUTE && !item->IsCategory() && !tree_->SendNotify(CTN_ATTRIBUTECLICK, item) &&
            !item->IsReadOnly())
            item->Activate();
        tree_->SetFocusedItem(item);
    } else {
        ChooseItem(nullptr, tree_->GetFocusedItem());
        tree_->SetFocusedItem(nullptr);
    }
    Invalidate(false);
}

void CChoiceTreeList::OnLButtonDblClk(POINT point) {
    CChoiceTreeItem* item = nullptr;
    const int hit = tree_->HitTest(point, &item);
    if (item && item->GetChild()) {
        if (hit == CT_HIT_COLUMN) {
            AutoSizeColumn();
        } else if (!(hit == CT_HIT_ATTRIBUTE && !item->IsCategory())) {
            if (hit != CT_HIT_EXPAND) {
                ChooseItem(item, tree_->GetFocusedItem());
                tree_->SetFocusedItem(item);
            }
            ToggleExpansion(item);
        }
    } else if (hit == CT_HIT_COLUMN) {
        AutoSizeColumn();
    }
}

void CChoiceTreeList::AutoSizeColumn() {
    int widest = 0;
    tree_->EnumItems(nullptr, [&](CChoiceTreeItem* item) {
        if (!item->IsCategory() && item->GetParent()->IsExpanded())
            widest = std::max(widest, item->GetLabelTextRect().right);
        return true;
    });
    tree_->SetColumn(std::min(widest + 5, GetClientRect().right - 25));
    LayoutChanged();
}

void CChoiceTreeList::MoveTo(CChoiceTreeItem* item) {
    CChoiceTreeItem* previous = tree_->GetFocusedItem();
    tree_->SetFocusedItem(item);
    ChooseItem(item, previous);
}

void CChoiceTreeList::OnKeyDown(UINT key) {
    tree_->Layout();
    const auto& visible = tree_->VisibleItems();
    if (visible.empty())
        return;
    CChoiceTreeItem* focused = tree_->GetFocusedItem();
    const auto at = std::find(visible.begin(), visible.end(), focused);
    const bool found = at != visible.end();
    auto previous = [&] { return found && at != visible.begin() ? *(at - 1) : nullptr; };
    auto next = [&] { return found && at + 1 != visible.end() ? *(at + 1) : nullptr; };
    switch (key) {
    case VK_TAB:
        if (!focused || focused->IsCategory())
            return;
        if (CChoiceTreeItem* to = GetKeyState(VK_SHIFT) < 0 ? previous() : next())
            MoveTo(to);
        if (Activatable(tree_->GetFocusedItem()))
            tree_->GetFocusedItem()->Activate();
        break;
    case VK_RETURN:
        if (Activatable(focused))
            focused->Activate();
        break;
    case VK_HOME: MoveTo(visible.front()); break;
    case VK_END: MoveTo(visible.back()); break;
    case VK_UP:
        if (!found)
            MoveTo(visible.back());
        else if (CChoiceTreeItem* to = previous())
            MoveTo(to);
        break;
    case VK_DOWN:
        if (!found)
            MoveTo(visible.front());
        else if (CChoiceTreeItem* to = next())
            MoveTo(to);
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        if (!focused)
            return;
        const bool collapse = key == VK_LEFT;
        if (focused->GetChild() && focused->IsExpanded() == collapse &&
            !tree_->SendNotify(CTN_ITEMEXPANDING, focused)) {
            focused->Expand(!collapse);
            tree_->RecomputeScrollRange();
        } else if (CChoiceTreeItem* to = collapse ? previous() : next()) {
            MoveTo(to);
        }
        break;
    }
    default:
        return;
    }
    LayoutChanged();
}
