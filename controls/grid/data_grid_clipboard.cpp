// The grid's clipboard commands: cells as plain text, tab-separated columns
// and CR LF between rows; every change asks the owner first.
#include "controls/grid/data_grid.h"

#include "controls/grid/grid_inplace_edit.h"
#include "platform/ui/ui_services.h"

namespace {

// The text without white space at either end.
std::string Trimmed(const std::string& text) {
    const char* space = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

} // namespace

void CDataGrid::SetTextWithNotify(int row, int col, const std::string& text) {
    if (!IsCellEditable(row, col) || SendMessageToParent(row, col, LVN_BEGINLABELEDIT) < 0)
        return;
    const std::string old = GetItemText(row, col);
    if (text == old)
        return;
    SetItemText(row, col, text);
    if (ValidateEdit(row, col, text) && SendMessageToParent(row, col, LVN_ENDLABELEDIT) >= 0) {
        SetModified(true, row, col);
        RedrawCell(row, col);
    } else {
        SetItemText(row, col, old); // the cell stays marked as modified
    }
}

void CDataGrid::CutSelectedText() {
    if (!IsEditable())
        return;
    std::vector<CGridCellRef> cells;
    for (const auto& entry : selected_)
        cells.push_back(entry.second);
    for (const CGridCellRef& cell : cells)
        SetTextWithNotify(cell.row, cell.col, "");
}

std::string CDataGrid::CopyTextFromGrid() const {
    const CGridCellRange range = GetSelectedCellRange();
    if (!IsValid(range))
        return std::string();
    std::string text;
    for (int row = range.minRow; row <= range.maxRow; ++row) {
        if (GetRowHeight(row) <= 0)
            continue;
        for (int col = range.minCol; col <= range.maxCol; ++col) {
            if (GetColumnWidth(col) <= 0)
                continue;
            if (IsCellSelected(row, col))
                text += GetItemText(row, col);
            if (col != range.maxCol)
                text += '\t';
        }
        if (row != range.maxRow)
            text += "\r\n";
    }
    return text;
}

bool CDataGrid::PasteTextToGrid(CGridCellRef start, const std::string& text, bool selectPasted) {
    std::string remaining = text.substr(0, text.find('\0'));
    // A clipboard without text changes nothing, the selection included.
    if (remaining.empty() || !IsValid(start) || !IsCellEditable(start.row, start.col))
        return false;
    CGridCellRange pasted(start.row, start.col, -1, -1);
    int lineNo = 0;
    bool lastLine = false;
    while (!lastLine) {
        const size_t end = remaining.find('\n');
        lastLine = end == std::string::npos;
        std::string line = lastLine ? remaining : remaining.substr(0, end);
        remaining = lastLine ? std::string() : remaining.substr(end + 1);

        int row = start.row + lineNo;
        while (row < GetRowCount() && GetRowHeight(row) <= 0)
            ++row, ++lineNo; // hidden rows take no line
        int colNo = 0;
        while (!line.empty()) {
            const size_t cut = line.find_first_of("\t,");
            const std::string piece = line.substr(0, cut);
            line = cut == std::string::npos ? std::string() : line.substr(cut + 1);
            int col = start.col + colNo;
            while (col < GetColumnCount() && GetColumnWidth(col) <= 0)
                ++col, ++colNo;
            if (IsValid(row, col)) {
                SetTextWithNotify(row, col, Trimmed(piece));
                SetItemState(row, col, GetItemState(row, col) & ~GCS_SELECTED);
                pasted.maxRow = std::max(pasted.maxRow, row);
                pasted.maxCol = std::max(pasted.maxCol, col);
            }
            ++colNo;
        }
        ++lineNo;
    }
    if (selectPasted) {
        SetSelectedRange(pasted, true, true);
    } else {
        ResetSelectedRange();
        Refresh();
    }
    return true;
}

void CDataGrid::OnEditCopy() {
    const std::string text = CopyTextFromGrid();
    if (IsValid(GetSelectedCellRange()))
        Services().SetClipboardText(text);
}

void CDataGrid::OnEditCut() {
    if (!IsEditable() || !IsValid(GetSelectedCellRange()))
        return;
    Services().SetClipboardText(CopyTextFromGrid());
    CutSelectedText();
}

void CDataGrid::OnEditPaste() {
    if (!IsEditable())
        return;
    const CGridCellRange range = GetSelectedCellRange();
    CGridCellRef start = IsValid(range) ? range.GetTopLeft() : GetFocusCell();
    if (!IsValid(start))
        start = GetTopleftNonFixedCell();
    if (!IsValid(start))
        return;
    CGridCellBase* cell = GetCell(start.row, start.col);
    if (cell && cell->IsEditing() && cell->GetEditWnd()) {
        cell->GetEditWnd()->SendMessage(WM_PASTE);
        return;
    }
    PasteTextToGrid(start, Services().GetClipboardText(), true);
}

void CDataGrid::OnEditSelectAll() {
    SendMessageToParent(pressCell_.row, pressCell_.col, LVN_ITEMCHANGING);
    SelectAllCells();
    const CGridCellRef focus = GetFocusCell();
    SendMessageToParent(focus.row, focus.col, LVN_ITEMCHANGED);
}
