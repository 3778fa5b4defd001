// The grid's mouse and keyboard: focus, selection, navigation and editing.
#include "controls/grid/data_grid.h"

#include "controls/grid/grid_inplace_edit.h"
#include "platform/ui/input_state.h"

#include <algorithm>

namespace {

constexpr uintptr_t kAutoScrollTimer = 513;
constexpr int kTimerInterval = 25;

bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }
bool ShiftDown() { return GetKeyState(VK_SHIFT) < 0; }

} // namespace

bool CDataGrid::CellHasTextAt(CGridCellRef cell, POINT point) const {
    const CGridCellBase* object = GetCell(cell.row, cell.col);
    RECT rect;
    if (!object || !GetCellRect(cell.row, cell.col, &rect))
        return false;
    object->GetTextRect(&rect);
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom;
}

MouseMode CDataGrid::DividerModeAt(POINT point) const {
    if (GetColumnResize() && MouseOverColumnResizeArea(point))
        return MouseMode::OverColDivide;
    if (GetRowResize() && MouseOverRowResizeArea(point))
        return MouseMode::OverRowDivide;
    return MouseMode::None;
}

void CDataGrid::SetHoverMode(MouseMode mode) {
    ::SetCursor(mode == MouseMode::OverColDivide   ? Cursor::SizeWE
                : mode == MouseMode::OverRowDivide ? Cursor::SizeNS
                                                   : Cursor::Arrow);
    mouseMode_ = mode;
}

void CDataGrid::EnterDividerMode(POINT point) {
    const MouseMode divider = DividerModeAt(point);
    if (mouseMode_ == MouseMode::None && divider != MouseMode::None)
        SetHoverMode(divider);
}

void CDataGrid::OnLButtonDown(UINT, POINT point) {
    SetFocus();
    pressPoint_ = point;
    leftButtonDown_ = true;
    pressCell_ = GetCellFromPt(point);
    if (!IsValid(pressCell_))
        return;
    if (!ShiftDown())
        SetSelectionStart(pressCell_);
    else if (!IsValid(GetSelectionStart()))
        SetSelectionStart(GetFocusCell());
    EndEditing();
    if (CGridCellBase* cell = GetCell(pressCell_.row, pressCell_.col))
        cell->OnClickDown(GetPointClicked(pressCell_.row, pressCell_.col, point));
    const bool inText = CellHasTextAt(pressCell_, point);

    if (pressCell_ == GetFocusCell() && !ControlDown() && inText && IsCellEditable(pressCell_.row, pressCell_.col)) {
        mouseMode_ = MouseMode::PrepareEdit; // the edit starts on release
        return;
    }
    if (IsCellSelected(pressCell_.row, pressCell_.col)) {
        SetFocusCell(pressCell_);
        if (ControlDown()) {
            if (GetListMode())
                SelectRows(pressCell_, true, false);
            else
                SelectCells(pressCell_, true, false);
            return;
        }
    } else if (mouseMode_ != MouseMode::OverColDivide && mouseMode_ != MouseMode::OverRowDivide) {
        const bool fixed = pressCell_.row < GetFixedRowCount() || pressCell_.col < GetFixedColumnCount();
        if (fixed)
            SetFocusCell(-1, -1);
        else
            SetFocusCell(pressCell_);
    }
    SetCapture();
    EnterDividerMode(point);
    if (mouseMode_ == MouseMode::OverColDivide || mouseMode_ == MouseMode::OverRowDivide) {
        StartResize(point);
    } else {
        SendMessageToParent(pressCell_.row, pressCell_.col, LVN_ITEMCHANGING);
        SaveSelection(ControlDown());
        if (pressCell_.row < GetFixedRowCount()) {
            OnFixedRowClick(pressCell_);
        } else if (pressCell_.col < GetFixedColumnCount()) {
            OnFixedColumnClick(pressCell_);
        } else {
            mouseMode_ = GetListMode() ? MouseMode::SelectRow : MouseMode::SelectCells;
            OnSelecting(pressCell_);
            timer_ = kAutoScrollTimer;
            SetTimer(timer_, kTimerInterval);
        }
    }
    lastMousePoint_ = point;
}

SIZE CDataGrid::TextRoom(int row, int col) const {
    const CGridCellBase* object = GetCell(row, col);
    if (!object)
        return SIZE{0, 0};
    RECT rect{0, 0, GetColumnWidth(col) - 1, GetRowHeight(row) - 1};
    // As drawing gives it: inside the fixed cells' edge and the margin.
    if (object->IsFixed() && GetGridLines() != GRID_LINES_NONE)
        rect.DeflateRect(1, 1);
    const int margin = static_cast<int>(object->GetMargin());
    rect.DeflateRect(margin, margin);
    rect.right++, rect.bottom++;
    object->GetTextRect(&rect);
    rect.right++, rect.bottom++;
    return SIZE{std::max(0, rect.Width()), std::max(0, rect.Height())};
}

std::string CDataGrid::TextCutShort(CGridCellRef cell) const {
    const CGridCellBase* object = GetCell(cell.row, cell.col);
    RECT shown;
    if (!object || object->GetText().empty() || !GetCellRect(cell.row, cell.col, &shown))
        return {};
    return MeasureText(object->GetText(), *object->GetFont()).cx > TextRoom(cell.row, cell.col).cx ? object->GetText()
                                                                                                  : std::string();
}

void CDataGrid::ShowCutTextAt(POINT point) {
    const QString tip = QString::fromLocal8Bit(TextCutShort(GetCellFromPt(point)).c_str());
    if (ClientWidget()->toolTip() != tip)
        ClientWidget()->setToolTip(tip);
}

void CDataGrid::OnFixedRowClick(CGridCellRef cell) {
    if (!IsValid(cell))
        return;
    mouseMode_ = cell.col < GetFixedColumnCount() ? MouseMode::SelectAll : MouseMode::SelectCol;
    OnSelecting(cell);
}

void CDataGrid::OnFixedColumnClick(CGridCellRef cell) {
    if (!IsValid(cell) || !fixedColumnSelection_)
        return;
    mouseMode_ = cell.row < GetFixedRowCount() ? MouseMode::SelectAll : MouseMode::SelectRow;
    OnSelecting(cell);
}

void CDataGrid::OnMouseMove(UINT, POINT point) {
    if (leftButtonDown_ && mouseMode_ != MouseMode::None) {
        if (!IsValid(pressCell_)) {
            lastMousePoint_ = point;
            return;
        }
        switch (mouseMode_) {
        case MouseMode::SelectCol:
        case MouseMode::SelectRow:
        case MouseMode::SelectCells: {
            const CGridCellRef cell = GetCellFromPt(point);
            if (!IsValid(cell))
                return;
            if (cell != GetFocusCell()) {
                OnSelecting(cell);
                const bool fixed = cell.row < GetFixedRowCount() || cell.col < GetFixedColumnCount();
                if (!fixed || mouseMode_ == MouseMode::SelectCol || mouseMode_ == MouseMode::SelectRow)
                    SetFocusCell(cell);
            }
            break;
        }
        case MouseMode::SizingCol:
        case MouseMode::SizingRow:
            TrackResize(point);
            break;
        default:
            break;
        }
    } else {
        // Hovering over a divider changes the cursor and the mode.
        if (const MouseMode divider = DividerModeAt(point); divider != mouseMode_)
            SetHoverMode(divider);
        if (mouseMode_ == MouseMode::None) {
            const CGridCellRef cell = GetCellFromPt(point);
            if (CGridCellBase* object = GetCell(cell.row, cell.col))
                object->OnMouseOver();
        }
        ShowCutTextAt(point);
    }
    lastMousePoint_ = point;
}

void CDataGrid::OnLButtonUp(UINT, POINT point) {
    leftButtonDown_ = false;
    ClipCursor(nullptr);
    if (GetCapture() == this) {
        ReleaseCapture();
        KillTimer(timer_);
        timer_ = 0;
    }
    const CGridCellRef focus = GetFocusCell();
    const POINT relative = GetPointClicked(focus.row, focus.col, point);
    switch (mouseMode_) {
    case MouseMode::PrepareEdit:
        OnEditCell(focus.row, focus.col, relative, VK_LBUTTON);
        break;
    case MouseMode::SizingCol:
    case MouseMode::SizingRow:
        FinishResize(point);
        break;
    default:
        SendMessageToParent(focus.row, focus.col, LVN_ITEMCHANGED);
        if (CGridCellBase* cell = GetCell(focus.row, focus.col))
            cell->OnClick(relative);
        SendMessageToParent(pressCell_.row, pressCell_.col, NM_CLICK);
        break;
    }
    mouseMode_ = MouseMode::None;
    ::SetCursor(Cursor::Arrow);
    if (IsValid(pressCell_)) {
        CWnd* owner = GetOwner() ? GetOwner() : GetParent();
        if (owner)
            owner->PostMessage(WM_COMMAND, static_cast<WPARAM>(MAKELPARAM(GetDlgCtrlID(), BN_CLICKED)),
                               reinterpret_cast<LPARAM>(this));
    }
}

void CDataGrid::OnLButtonDblClk(UINT, POINT point) {
    const CGridCellRef cell = GetCellFromPt(point);
    if (!IsValid(cell))
        return;
    // The first click's release left no mode, and a pointer that stayed
    // still sent no move to set one again: the point tells a divider.
    EnterDividerMode(point);
    if (mouseMode_ == MouseMode::OverColDivide || mouseMode_ == MouseMode::OverRowDivide) {
        AutoSizeAt(point);
    } else if (mouseMode_ == MouseMode::None) {
        const POINT relative = GetPointClicked(cell.row, cell.col, point);
        const bool fixed = cell.row < GetFixedRowCount() || cell.col < GetFixedColumnCount();
        if (!fixed && CellHasTextAt(cell, point) && (IsValid(pressCell_) || GetListMode()))
            OnEditCell(cell.row, cell.col, relative, VK_LBUTTON);
        if (CGridCellBase* object = GetCell(cell.row, cell.col))
            object->OnDblClick(relative);
        SendMessageToParent(cell.row, cell.col, NM_DBLCLK);
    }
}

void CDataGrid::OnRButtonUp(UINT, POINT point) {
    const CGridCellRef cell = GetCellFromPt(point);
    EndEditing();
    if (!IsValid(cell)) {
        SendMessageToParent(-1, -1, NM_RCLICK);
        return;
    }
    SetFocusCell(-1, -1);
    SetFocusCell(std::max(cell.row, GetFixedRowCount()), std::max(cell.col, GetFixedColumnCount()));
    if (CGridCellBase* object = GetCell(cell.row, cell.col))
        object->OnRClick(GetPointClicked(cell.row, cell.col, point));
    SendMessageToParent(cell.row, cell.col, NM_RCLICK);
}

void CDataGrid::OnTimer(uintptr_t id) {
    if (id != kAutoScrollTimer)
        return;
    POINT pt;
    if (!GetCursorPos(&pt))
        return;
    ScreenToClient(&pt);
    const RECT client = GetClientRect();
    const int fixedHeight = GetFixedRowHeight(), fixedWidth = GetFixedColumnWidth();
    auto clamp = [](int v, int lo, int hi) { return std::min(std::max(v, lo), hi); };
    if (pt.y > client.bottom) {
        SendMessage(WM_KEYDOWN, VK_DOWN);
        OnSelecting(GetCellFromPt(POINT{clamp(pt.x, client.left, client.right), client.bottom}));
    } else if (pt.y < fixedHeight) {
        SendMessage(WM_KEYDOWN, VK_UP);
        OnSelecting(GetCellFromPt(POINT{clamp(pt.x, client.left, client.right), fixedHeight + 1}));
    }
    if (pt.x > client.right) {
        SendMessage(WM_KEYDOWN, VK_RIGHT);
        OnSelecting(GetCellFromPt(POINT{client.right, clamp(pt.y, client.top, client.bottom)}));
    } else if (pt.x < fixedWidth) {
        SendMessage(WM_KEYDOWN, VK_LEFT);
        OnSelecting(GetCellFromPt(POINT{fixedWidth + 1, clamp(pt.y, client.top, client.bottom)}));
    }
}

void CDataGrid::OnKeyDown(UINT key) {
    const CGridCellRef focus = GetFocusCell();
    if (!IsValid(focus)) {
        DefWindowProc(WM_KEYDOWN, key, 0);
        return;
    }
    if (ControlDown()) {
        if (key == VK_INSERT || key == 'C')
            OnEditCopy();
        else if (key == 'A')
            OnEditSelectAll();
        else if (key == 'V')
            OnEditPaste();
        else if (key == 'X')
            OnEditCut();
    }
    if (key == VK_INSERT && ShiftDown()) {
        OnEditPaste();
        DefWindowProc(WM_KEYDOWN, key, 0);
        return;
    }
    const int rows = GetRowCount(), cols = GetColumnCount();
    const int fixedRows = GetFixedRowCount(), fixedCols = GetFixedColumnCount();
    const bool shift = ShiftDown();
    CGridCellRef next = focus;
    bool changeLine = false, hScrolled = false, vScrolled = false;
    const bool tab = key == VK_TAB;
    if ((key == VK_RIGHT) || (tab && !shift)) {
        next.col++;
        if (tab && next.col == cols && next.row < rows - 1) {
            next.row++;
            while (next.row < rows - 1 && GetRowHeight(next.row) == 0)
                next.row++;
            next.col = fixedCols;
            changeLine = true;
        } else if (tab) {
            DefWindowProc(WM_KEYDOWN, key, 0);
        }
        while (next.col < cols && GetColumnWidth(next.col) == 0)
            next.col++;
        if (next.col >= cols && !changeLine)
            next.col = focus.col;
    } else if (key == VK_LEFT || (tab && shift)) {
        next.col--;
        if (tab && focus.col == fixedCols && next.row > fixedRows) {
            next.row--;
            while (next.row > fixedRows && GetRowHeight(next.row) == 0)
                next.row--;
            next.col = cols - 1;
            changeLine = true;
        } else if (tab) {
            DefWindowProc(WM_KEYDOWN, key, 0);
        }
        while (next.col >= fixedCols && GetColumnWidth(next.col) == 0)
            next.col--;
        if (next.col < fixedCols && !changeLine)
            next.col = focus.col;
    } else if (key == VK_DOWN) {
        int row = next.row + 1;
        while (row < rows && GetRowHeight(row) <= 0)
            row++;
        if (row < rows)
            next.row = row;
    } else if (key == VK_UP) {
        int row = next.row - 1;
        while (row >= fixedRows && GetRowHeight(row) <= 0)
            row--;
        if (row >= fixedRows)
            next.row = row;
    } else if (key == VK_PRIOR || key == VK_NEXT) {
        const CGridCellRef before = GetTopleftNonFixedCell();
        SendMessage(WM_VSCROLL, key == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN);
        vScrolled = true;
        const CGridCellRef after = GetTopleftNonFixedCell();
        if (after.row == before.row)
            next.row = key == VK_PRIOR ? fixedRows : rows - 1;
        else
            next.row = std::clamp(next.row + after.row - before.row, fixedRows, rows - 1);
    } else if (key == VK_HOME) {
        if (ControlDown()) {
            SendMessage(WM_VSCROLL, SB_TOP);
            SendMessage(WM_HSCROLL, SB_LEFT);
            hScrolled = vScrolled = true;
            next.row = fixedRows;
        } else {
            SendMessage(WM_HSCROLL, SB_LEFT);
            hScrolled = true;
        }
        next.col = fixedCols;
        while (next.col < cols - 1 && GetColumnWidth(next.col) == 0)
            next.col++;
        while (next.row < rows - 1 && GetRowHeight(next.row) == 0)
            next.row++;
    } else if (key == VK_END) {
        if (ControlDown()) {
            SendMessage(WM_VSCROLL, SB_BOTTOM);
            SendMessage(WM_HSCROLL, SB_RIGHT);
            hScrolled = vScrolled = true;
            next.row = rows - 1;
        } else {
            SendMessage(WM_HSCROLL, SB_RIGHT);
            hScrolled = true;
        }
        next.col = cols - 1;
        while (next.col > fixedCols + 1 && GetColumnWidth(next.col) == 0)
            next.col--;
        while (next.row > fixedRows + 1 && GetRowHeight(next.row) == 0)
            next.row--;
    } else if (key == VK_DELETE) {
        CutSelectedText();
    } else if (key == VK_F1 + 1) { // F2
        OnEditCell(focus.row, focus.col, POINT{-1, -1}, VK_LBUTTON);
    } else {
        DefWindowProc(WM_KEYDOWN, key, 0);
        return;
    }
    if (next == focus)
        return;
    if (mouseMode_ == MouseMode::None) {
        SaveSelection(false);
        mouseMode_ = GetListMode() ? MouseMode::SelectRow : MouseMode::SelectCells;
        if (!shift || tab)
            SetSelectionStart(next);
        SendMessageToParent(next.row, next.col, LVN_ITEMCHANGING);
        OnSelecting(next);
        SendMessageToParent(next.row, next.col, LVN_ITEMCHANGED);
        mouseMode_ = MouseMode::None;
    }
    SetFocusCell(next);
    if (!IsCellVisible(next.row, next.col)) {
        switch (key) {
        case VK_RIGHT: SendMessage(WM_HSCROLL, SB_LINERIGHT); hScrolled = true; break;
        case VK_LEFT: SendMessage(WM_HSCROLL, SB_LINELEFT); hScrolled = true; break;
        case VK_DOWN: SendMessage(WM_VSCROLL, SB_LINEDOWN); vScrolled = true; break;
        case VK_UP: SendMessage(WM_VSCROLL, SB_LINEUP); vScrolled = true; break;
        case VK_TAB:
            if (changeLine) {
                SendMessage(WM_VSCROLL, shift ? SB_LINEUP : SB_LINEDOWN);
                SetScrollPos32(SB_HORZ, shift ? GetScrollMaximum(SB_HORZ) : 0);
                vScrolled = true;
            } else {
                SendMessage(WM_HSCROLL, shift ? SB_LINELEFT : SB_LINERIGHT);
                hScrolled = true;
            }
            break;
        default: break;
        }
        EnsureVisible(next);
        Invalidate();
    }
    EnsureVisible(next);
    if (hScrolled)
        SendMessage(WM_HSCROLL, SB_ENDSCROLL);
    if (vScrolled)
        SendMessage(WM_VSCROLL, SB_ENDSCROLL);
}

void CDataGrid::OnChar(UINT character) {
    if (!ControlDown() && mouseMode_ == MouseMode::None && character != VK_ESCAPE && character != VK_TAB) {
        const CGridCellRef focus = GetFocusCell();
        OnEditCell(focus.row, focus.col, POINT{-1, -1}, character);
    }
}

// ---- editing

void CDataGrid::OnEditCell(int row, int col, POINT point, UINT firstChar) {
    if (!IsValid(row, col) || !IsCellEditable(row, col))
        return;
    EnsureVisible(row, col);
    RECT rect;
    if (!IsCellVisible(row, col) || !GetCellRect(row, col, &rect))
        return;
    if (SendMessageToParent(row, col, LVN_BEGINLABELEDIT) < 0)
        return;
    if (CGridCellBase* cell = GetCell(row, col))
        cell->Edit(row, col, rect, point, IDC_INPLACE_EDIT, firstChar);
}

void CDataGrid::EndEditing() {
    const CGridCellRef focus = GetFocusCell();
    if (CGridCellBase* cell = GetCell(focus.row, focus.col))
        cell->EndEdit();
}

bool CDataGrid::ValidateEdit(int row, int col, const std::string& text) {
    CGridCellBase* cell = GetCell(row, col);
    return !cell || cell->ValidateEdit(text);
}

void CDataGrid::OnEndEditCell(int row, int col, const std::string& text) {
    const std::string old = GetItemText(row, col);
    if (text != old) {
        SetItemText(row, col, text);
        if (ValidateEdit(row, col, text) && SendMessageToParent(row, col, LVN_ENDLABELEDIT) >= 0) {
            SetModified(true, row, col);
            RedrawCell(row, col);
        } else {
            SetItemText(row, col, old);
        }
    }
    if (CGridCellBase* cell = GetCell(row, col))
        cell->OnEndEdit();
}

void CDataGrid::OnEndInPlaceEdit(const GRID_DISPINFO* info) {
    if (IsWindow())
        OnEndEditCell(info->item.row, info->item.col, info->item.strText);
    const UINT key = static_cast<UINT>(info->item.lParam);
    if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN)) {
        OnKeyDown(key);
        const CGridCellRef focus = GetFocusCell();
        OnEditCell(focus.row, focus.col, POINT{-1, -1}, key);
    }
}
