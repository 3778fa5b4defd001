#include "controls/grid/grid_model.h"

#include <algorithm>
#include <new>

namespace {

enum { kNormal = 0, kFixedCol = 1, kFixedRow = 2, kFixedCorner = 3 };

COLORREF ClassicColour(int index) {
    switch (index) {
    case 5: return RGB(255, 255, 255);  // window
    case 8: return RGB(0, 0, 0);        // window text
    case 13: return RGB(0, 0, 128);     // highlight
    case 14: return RGB(255, 255, 255); // highlight text
    case 15: return RGB(192, 192, 192); // button face
    case 16: return RGB(128, 128, 128); // button shadow
    case 20: return RGB(255, 255, 255); // button highlight
    case 21: return RGB(64, 64, 64);    // 3-D dark shadow
    default: return RGB(0, 0, 0);
    }
}

} // namespace

CGridModel::CGridModel(int rows, int cols, int fixedRows, int fixedCols) {
    RememberSystemColours();
    gridBkColour_ = shadow_;
    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
    selected_.clear();
    savedSelection_.clear();
}

CGridModel::~CGridModel() {
    for (int row = 0; row < rowCount_; ++row)
        for (int col = 0; col < colCount_; ++col)
            delete cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

COLORREF CGridModel::SysColor(int index) const { return ClassicColour(index); }

void CGridModel::RememberSystemColours() {
    windowText_ = SysColor(8);
    window_ = SysColor(5);
    face_ = SysColor(15);
    shadow_ = SysColor(16);
    SetupDefaultCells();
}

void CGridModel::SystemColoursChanged() {
    const COLORREF text = SysColor(8), window = SysColor(5);
    for (CGridDefaultCell& cell : defaults_) {
        if (cell.GetTextClr() == windowText_)
            cell.SetTextClr(text);
        if (cell.GetBackClr() == window_)
            cell.SetBackClr(window);
    }
    if (gridBkColour_ == shadow_)
        gridBkColour_ = SysColor(16);
    windowText_ = text;
    window_ = window;
    face_ = SysColor(15);
    shadow_ = SysColor(16);
}

void CGridModel::SetupDefaultCells() {
    for (int i = 0; i < 4; ++i) {
        defaults_[i].SetGrid(this);
        defaults_[i].SetTextClr(windowText_);
        defaults_[i].SetBackClr(i == kNormal ? window_ : face_);
    }
}

void CGridModel::SetDefaultFont(const LOGFONT& font) {
    for (CGridDefaultCell& cell : defaults_)
        cell.SetFont(&font);
}

CGridCellBase* CGridModel::GetDefaultCell(bool fixedRow, bool fixedCol) const {
    auto* defaults = const_cast<CGridDefaultCell*>(defaults_);
    if (fixedRow && fixedCol)
        return &defaults[kFixedCorner];
    if (fixedRow)
        return &defaults[kFixedRow];
    if (fixedCol)
        return &defaults[kFixedCol];
    return &defaults[kNormal];
}

// ---- structure

CGridCellBase* CGridModel::CreateCell(int row, int col) {
    if (!cellClass_ || !cellClass_->create || !cellClass_->IsDerivedFrom(GRID_RUNTIME_CLASS(CGridCellBase)))
        return nullptr;
    CGridCellBase* cell = cellClass_->create();
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    if (col < fixedCols_)
        cell->SetState(cell->GetState() | GCS_FIXED | GCS_FIXEDCOL);
    if (row < fixedRows_)
        cell->SetState(cell->GetState() | GCS_FIXED | GCS_FIXEDROW);
    cell->SetFormat(cell->GetDefaultCell()->GetFormat());
    return cell;
}

void CGridModel::DestroyCell(int row, int col) {
    SetItemState(row, col, 0);
    CGridCellBase*& cell = cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
    delete cell;
    cell = nullptr;
}

bool CGridModel::SetRowCount(int rows) {
    if (rows < 0)
        return false;
    if (rows == rowCount_)
        return true;
    ForgetTopLeft();
    if (rows < fixedRows_)
        fixedRows_ = rows;
    if (focus_.row >= rows)
        SetFocusCell(-1, -1);
    if (selectionStart_.row >= rows)
        selectionStart_ = CGridCellRef();
    if (pressCell_.row >= rows)
        pressCell_ = CGridCellRef();
    bool result = true;
    if (rows < rowCount_) {
        for (int row = rows; row < rowCount_; ++row)
            for (int col = 0; col < colCount_; ++col)
                DestroyCell(row, col);
        cells_.resize(static_cast<size_t>(rows));
        rows_.Resize(rows, 0);
        rowCount_ = rows;
    } else {
        try {
            const int height = defaults_[kNormal].GetHeight();
            for (int row = rowCount_; row < rows; ++row) {
                cells_.emplace_back(static_cast<size_t>(colCount_), nullptr);
                rows_.Resize(row + 1, height);
                rowCount_ = row + 1;
                for (int col = 0; col < colCount_; ++col)
                    cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = CreateCell(row, col);
            }
        } catch (const std::bad_alloc&) {
            result = false;
        }
    }
    SetModified(true);
    ResetScrollBars();
    Refresh();
    return result;
}

bool CGridModel::SetColumnCount(int cols) {
    if (cols < 0)
        return false;
    if (cols == colCount_)
        return true;
    ForgetTopLeft();
    if (cols < fixedCols_)
        fixedCols_ = cols;
    if (focus_.col >= cols)
        SetFocusCell(-1, -1);
    bool result = true;
    const int old = colCount_;
    if (cols < old) {
        for (int row = 0; row < rowCount_; ++row)
            for (int col = cols; col < old; ++col)
                DestroyCell(row, col);
    }
    try {
        for (auto& row : cells_)
            row.resize(static_cast<size_t>(cols), nullptr);
        cols_.Resize(cols, defaults_[kFixedCol].GetWidth());
        colCount_ = cols;
        for (int row = 0; row < rowCount_; ++row)
            for (int col = old; col < cols; ++col)
                cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = CreateCell(row, col);
    } catch (const std::bad_alloc&) {
        result = false;
    }
    colCount_ = cols;
    SetModified(true);
    ResetScrollBars();
    Refresh();
    return result;
}

void CGridModel::SetStateBits(int fromRow, int toRow, int fromCol, int toCol, UINT bits, bool on,
                              bool defaultColours) {
    for (int row = fromRow; row < toRow; ++row)
        for (int col = fromCol; col < toCol; ++col)
            if (CGridCellBase* cell = GetCell(row, col)) {
                cell->SetState(on ? cell->GetState() | bits : cell->GetState() & ~bits);
                if (defaultColours) {
                    cell->SetBackClr(CLR_DEFAULT);
                    cell->SetTextClr(CLR_DEFAULT);
                }
            }
}

bool CGridModel::SetFixedRowCount(int fixedRows) {
    if (fixedRows < 0)
        return false;
    if (fixedRows == fixedRows_)
        return true;
    ResetSelectedRange();
    ForgetTopLeft();
    if (fixedRows > rowCount_ && !SetRowCount(fixedRows))
        return false;
    if (focus_.row < fixedRows)
        SetFocusCell(-1, -1);
    if (fixedRows > fixedRows_) {
        SetStateBits(fixedRows_, fixedRows, 0, colCount_, GCS_FIXED | GCS_FIXEDROW, true, true);
    } else {
        // Cells of fixed columns stay fixed.
        SetStateBits(fixedRows, fixedRows_, 0, fixedCols_, GCS_FIXEDROW, false, false);
        SetStateBits(fixedRows, fixedRows_, fixedCols_, colCount_, GCS_FIXED | GCS_FIXEDROW, false, true);
    }
    fixedRows_ = fixedRows;
    Refresh();
    return true;
}

bool CGridModel::SetFixedColumnCount(int fixedCols) {
    if (fixedCols < 0)
        return false;
    if (fixedCols == fixedCols_)
        return true;
    if (fixedCols > colCount_ && !SetColumnCount(fixedCols))
        return false;
    if (focus_.col < fixedCols)
        SetFocusCell(-1, -1);
    ResetSelectedRange();
    ForgetTopLeft();
    if (fixedCols > fixedCols_) {
        SetStateBits(0, rowCount_, fixedCols_, fixedCols, GCS_FIXED | GCS_FIXEDCOL, true, true);
    } else {
        // Cells of fixed rows stay fixed.
        SetStateBits(0, fixedRows_, fixedCols, fixedCols_, GCS_FIXEDCOL, false, false);
        SetStateBits(fixedRows_, rowCount_, fixedCols, fixedCols_, GCS_FIXED | GCS_FIXEDCOL, false, true);
    }
    fixedCols_ = fixedCols;
    Refresh();
    return true;
}

bool CGridModel::DeleteRow(int row) {
    if (row < 0 || row >= rowCount_)
        return false;
    ResetSelectedRange();
    for (int col = 0; col < colCount_; ++col)
        DestroyCell(row, col);
    cells_.erase(cells_.begin() + row);
    rows_.Erase(row);
    --rowCount_;
    selectionStart_ = pressCell_ = CGridCellRef(); // they named cells that moved
    if (row < fixedRows_)
        --fixedRows_;
    ForgetTopLeft();
    ResetScrollBars();
    SetModified(true);
    return true;
}

bool CGridModel::DeleteAllItems() {
    ResetSelectedRange();
    cols_.Clear();
    rows_.Clear();
    for (int row = 0; row < rowCount_; ++row)
        for (int col = 0; col < colCount_; ++col)
            DestroyCell(row, col);
    cells_.clear();
    focus_ = selectionStart_ = pressCell_ = CGridCellRef();
    rowCount_ = fixedRows_ = colCount_ = fixedCols_ = 0;
    ForgetTopLeft();
    ResetScrollBars();
    SetModified(true);
    return true;
}

int CGridModel::GetRowHeight(int row) const { return row >= 0 && row < rowCount_ ? rows_.Size(row) : -1; }
int CGridModel::GetColumnWidth(int col) const { return col >= 0 && col < colCount_ ? cols_.Size(col) : -1; }

bool CGridModel::SetRowHeight(int row, int height) {
    if (row < 0 || row >= rowCount_ || height < 0)
        return false;
    rows_.SetSize(row, height);
    ForgetTopLeft();
    ResetScrollBars();
    return true;
}

bool CGridModel::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= colCount_ || width < 0)
        return false;
    cols_.SetSize(col, width);
    ForgetTopLeft();
    ResetScrollBars();
    return true;
}

// ---- cells

bool CGridModel::IsValid(const CGridCellRange& r) const {
    return r.minRow >= 0 && r.minCol >= 0 && r.maxRow >= 0 && r.maxCol >= 0 && r.maxRow < rowCount_ &&
           r.maxCol < colCount_ && r.minRow <= r.maxRow && r.minCol <= r.maxCol;
}

CGridCellBase* CGridModel::GetCell(int row, int col) const {
    if (!IsValid(row, col))
        return nullptr;
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

bool CGridModel::SetCellType(int row, int col, const CGridRuntimeClass* cellClass) {
    if (!IsValid(row, col) || !cellClass || !cellClass->create ||
        !cellClass->IsDerivedFrom(GRID_RUNTIME_CLASS(CGridCellBase)))
        return false;
    CGridCellBase* replacement = cellClass->create();
    CGridCellBase*& place = cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
    if (place)
        *replacement = *place;
    else
        replacement->SetGrid(this);
    replacement->SetCoords(row, col);
    delete place;
    place = replacement;
    return true;
}

bool CGridModel::SetItem(const GRID_ITEM* item) {
    if (!item)
        return false;
    CGridCellBase* cell = GetCell(item->row, item->col);
    if (!cell)
        return false;
    SetModified(true, item->row, item->col);
    if (item->mask & GCIF_TEXT)
        cell->SetText(item->strText);
    if (item->mask & GCIF_PARAM)
        cell->SetData(item->lParam);
    if (item->mask & GCIF_IMAGE)
        cell->SetImage(item->iImage);
    if (item->mask & GCIF_STATE)
        SetItemState(item->row, item->col, item->state);
    if (item->mask & GCIF_FORMAT)
        cell->SetFormat(item->nFormat);
    if (item->mask & GCIF_BKCLR)
        cell->SetBackClr(item->crBkClr);
    if (item->mask & GCIF_FGCLR)
        cell->SetTextClr(item->crFgClr);
    if (item->mask & GCIF_FONT)
        cell->SetFont(&item->lfFont);
    if (item->mask & GCIF_MARGIN)
        cell->SetMargin(item->nMargin);
    return true;
}

bool CGridModel::SetItemText(int row, int col, const std::string& text) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return false;
    cell->SetText(text);
    SetModified(true, row, col);
    return true;
}

std::string CGridModel::GetItemText(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetText() : std::string();
}

bool CGridModel::SetItemState(int row, int col, UINT state) {
    const bool wasSelected = IsCellSelected(row, col);
    const uint64_t key = Key(row, col);
    if (wasSelected && !(state & GCS_SELECTED))
        selected_.erase(key);
    else if (!wasSelected && (state & GCS_SELECTED))
        selected_[key] = CGridCellRef(row, col);
    CGridCellBase* cell = GetCell(row, col);
    if (!cell)
        return false;
    cell->SetState(state);
    return true;
}

UINT CGridModel::GetItemState(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetState() : 0;
}

bool CGridModel::SetItemBkColour(int row, int col, COLORREF colour) {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? (cell->SetBackClr(colour), true) : false;
}

bool CGridModel::SetItemFgColour(int row, int col, COLORREF colour) {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? (cell->SetTextClr(colour), true) : false;
}

bool CGridModel::SetItemFont(int row, int col, const LOGFONT* font) {
    CGridCellBase* cell = GetCell(row, col);
    return cell ? (cell->SetFont(font), true) : false;
}

bool CGridModel::IsItemEditing(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell && cell->IsEditing();
}

void CGridModel::SetModified(bool modified, int row, int col) {
    if (row >= 0 && col >= 0) {
        if (CGridCellBase* cell = GetCell(row, col)) {
            if (modified) {
                cell->SetState(cell->GetState() | GCS_MODIFIED);
                modified_ = true;
            } else {
                cell->SetState(cell->GetState() & ~GCS_MODIFIED);
            }
        }
    } else {
        modified_ = modified;
    }
    if (!modified_)
        SetStateBits(0, rowCount_, 0, colCount_, GCS_MODIFIED, false, false);
}

void CGridModel::SetGridLines(int lines) {
    gridLines_ = lines;
    Refresh();
}

void CGridModel::SetListMode(bool on) {
    ResetSelectedRange();
    listMode_ = on;
    fixedColumnSelection_ = false;
    Refresh();
}

// ---- focus and selection

CGridCellRef CGridModel::SetFocusCell(int row, int col) {
    const CGridCellRef previous = focus_;
    if (previous == CGridCellRef(row, col))
        return previous;
    if (row != -1)
        row = std::max(row, fixedRows_);
    if (col != -1)
        col = std::max(col, fixedCols_);
    focus_ = CGridCellRef(row, col);
    // The cell and the header cells of its row and column show the focus.
    auto mark = [&](CGridCellRef cell, bool focused, CGridCellRef other) {
        if (!IsValid(cell))
            return;
        const UINT state = GetItemState(cell.row, cell.col);
        SetItemState(cell.row, cell.col, focused ? state | GCS_FOCUSED : state & ~GCS_FOCUSED);
        RedrawCell(cell.row, cell.col);
        if (cell.col != other.col)
            for (int r = 0; r < fixedRows_; ++r)
                RedrawCell(r, cell.col);
        if (cell.row != other.row)
            for (int c = 0; c < fixedCols_; ++c)
                RedrawCell(cell.row, c);
    };
    mark(previous, false, focus_);
    mark(focus_, true, previous);
    return previous;
}

void CGridModel::RedrawForSelection(int row, int col, bool now, const CGridCellRange& visible) {
    if (!visible.InRange(row, col))
        return;
    if (now)
        RedrawCell(row, col);
    else
        InvalidateCellRect(row, col);
}

void CGridModel::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint,
                                  bool selectCells) {
    BeginWaitCursor();
    const CGridCellRange visible = GetVisibleNonFixedCellRange();
    if (minRow >= 0)
        minRow = std::max(minRow, fixedRows_);
    if (maxRow >= 0)
        maxRow = std::max(maxRow, fixedRows_);
    if (minCol >= 0)
        minCol = std::max(minCol, fixedCols_);
    if (maxCol >= 0)
        maxCol = std::max(maxCol, fixedCols_);
    const bool allBounds = minRow >= 0 && minCol >= 0 && maxRow >= 0 && maxCol >= 0;
    const CGridCellRange range(minRow, minCol, maxRow, maxCol);

    if (selectCells) {
        std::vector<CGridCellRef> previous;
        previous.reserve(selected_.size());
        for (const auto& entry : selected_)
            previous.push_back(entry.second);
        for (const CGridCellRef& cell : previous) {
            if (!IsValid(cell)) {
                selected_.erase(Key(cell.row, cell.col)); // a key left from a removed cell
                continue;
            }
            SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GCS_SELECTED);
            if (!range.InRange(cell.row, cell.col))
                RedrawForSelection(cell.row, cell.col, forceRepaint, visible);
        }
        if (!SingleRowSelectionInEffect() && allBounds)
            for (const auto& entry : savedSelection_)
                if (IsValid(entry.second)) {
                    const CGridCellRef cell = entry.second;
                    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GCS_SELECTED);
                    RedrawForSelection(cell.row, cell.col, forceRepaint, visible);
                }
    }
    if (allBounds && maxRow < rowCount_ && maxCol < colCount_ && minRow <= maxRow && minCol <= maxCol)
        for (int row = minRow; row <= maxRow; ++row)
            for (int col = minCol; col <= maxCol; ++col) {
                const UINT state = GetItemState(row, col);
                if (((state & GCS_SELECTED) != 0) != selectCells) {
                    SetItemState(row, col, selectCells ? state | GCS_SELECTED : state & ~GCS_SELECTED);
                    RedrawForSelection(row, col, forceRepaint, visible);
                }
            }
    EndWaitCursor();
}

void CGridModel::SelectAllCells() { SetSelectedRange(fixedRows_, fixedCols_, rowCount_ - 1, colCount_ - 1); }

void CGridModel::SelectColumns(CGridCellRef cell, bool forceRepaint, bool selectCells) {
    if (cell.col < fixedCols_ || !IsValid(cell))
        return;
    SetSelectedRange(fixedRows_, std::min(selectionStart_.col, cell.col), rowCount_ - 1,
                     std::max(selectionStart_.col, cell.col), forceRepaint, selectCells);
}

void CGridModel::SelectRows(CGridCellRef cell, bool forceRepaint, bool selectCells) {
    if (cell.row < fixedRows_ || !IsValid(cell))
        return;
    if (SingleRowSelectionInEffect())
        SetSelectedRange(cell.row, fixedCols_, cell.row, colCount_ - 1, forceRepaint, selectCells);
    else
        SetSelectedRange(std::min(selectionStart_.row, cell.row), fixedCols_, std::max(selectionStart_.row, cell.row),
                         colCount_ - 1, forceRepaint, selectCells);
}

void CGridModel::SelectCells(CGridCellRef cell, bool forceRepaint, bool selectCells) {
    if (cell.row < fixedRows_ || cell.col < fixedCols_ || !IsValid(cell))
        return;
    SetSelectedRange(std::min(selectionStart_.row, cell.row), std::min(selectionStart_.col, cell.col),
                     std::max(selectionStart_.row, cell.row), std::max(selectionStart_.col, cell.col), forceRepaint,
                     selectCells);
}

void CGridModel::OnSelecting(CGridCellRef cell) {
    switch (mouseMode_) {
    case MouseMode::SelectAll: SelectAllCells(); break;
    case MouseMode::SelectCol: SelectColumns(cell, false, true); break;
    case MouseMode::SelectRow: SelectRows(cell, false, true); break;
    case MouseMode::SelectCells: SelectCells(cell, false, true); break;
    default: break;
    }
}

CGridCellRange CGridModel::GetSelectedCellRange() const {
    CGridCellRange range(rowCount_, colCount_, -1, -1);
    for (const auto& entry : selected_) {
        const CGridCellRef cell = entry.second;
        range.minRow = std::min(range.minRow, cell.row);
        range.minCol = std::min(range.minCol, cell.col);
        range.maxRow = std::max(range.maxRow, cell.row);
        range.maxCol = std::max(range.maxCol, cell.col);
    }
    return range;
}

void CGridModel::ResetSelectedRange() {
    savedSelection_.clear();
    SetSelectedRange(-1, -1, -1, -1, false, true);
    SetFocusCell(-1, -1);
}

void CGridModel::SaveSelection(bool keepCurrent) {
    savedSelection_.clear();
    if (keepCurrent)
        savedSelection_ = selected_;
}

// ---- geometry

void CGridModel::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
}

bool CGridModel::SetScrollPos32(int bar, int position, bool) {
    ForgetTopLeft();
    scroll_[bar] = position;
    return true;
}

CGridCellRef CGridModel::GetTopleftNonFixedCell(bool recompute) const {
    if (topLeft_.row == -1 || topLeft_.col == -1 || recompute)
        topLeft_ = CGridCellRef(rows_.IndexReaching(fixedRows_, rowCount_ - 1, scroll_[SB_VERT]),
                                cols_.IndexReaching(fixedCols_, colCount_ - 1, scroll_[SB_HORZ]));
    return topLeft_;
}

bool CGridModel::GetCellOrigin(int row, int col, POINT* origin) const {
    if (!IsValid(row, col) || !origin)
        return false;
    const CGridCellRef topLeft = GetTopleftNonFixedCell();
    if ((row >= fixedRows_ && row < topLeft.row) || (col >= fixedCols_ && col < topLeft.col))
        return false;
    origin->x = static_cast<int>(col < fixedCols_ ? cols_.Start(col)
                                                  : GetFixedColumnWidth() + cols_.Sum(topLeft.col, col));
    origin->y = static_cast<int>(row < fixedRows_ ? rows_.Start(row)
                                                  : GetFixedRowHeight() + rows_.Sum(topLeft.row, row));
    return true;
}

bool CGridModel::GetCellRect(int row, int col, RECT* rect) const {
    POINT origin;
    if (!rect || !GetCellOrigin(row, col, &origin))
        return false;
    *rect = RECT{origin.x, origin.y, origin.x + GetColumnWidth(col) - 1, origin.y + GetRowHeight(row) - 1};
    return true;
}

CGridCellRef CGridModel::GetCellFromPt(POINT point, bool allowFixed) const {
    const CGridCellRef topLeft = GetTopleftNonFixedCell();
    if (!allowFixed && !IsValid(topLeft))
        return CGridCellRef();
    // Along one axis: the index whose running edge first exceeds the offset.
    auto locate = [&](const CGridAxis& axis, int fixed, int fixedSize, int first, int at) {
        if (at < 0)
            return -1;
        if (at < fixedSize) {
            if (!allowFixed)
                return -1;
            return std::min(axis.IndexAfter(0, at), fixed);
        }
        const int found = axis.IndexAfter(first, at - fixedSize);
        return found >= axis.Count() ? -1 : found;
    };
    const int col = locate(cols_, fixedCols_, GetFixedColumnWidth(), topLeft.col, point.x);
    const int row = locate(rows_, fixedRows_, GetFixedRowHeight(), topLeft.row, point.y);
    return CGridCellRef(row, col);
}

CGridCellRange CGridModel::GetVisibleNonFixedCellRange(RECT* area, bool recompute) const {
    const CGridCellRef topLeft = GetTopleftNonFixedCell(recompute);
    // The last index reached while the running edge stays inside the client area.
    auto last = [](const CGridAxis& axis, int first, int fixedSize, int clientEdge, int* edge) {
        const int count = axis.Count();
        if (first >= count) {
            *edge = fixedSize;
            return count - 1;
        }
        // The first index whose end reaches the client edge, or the last one.
        const int64_t room = clientEdge - fixedSize;
        const int stop = room > 0 ? axis.IndexReaching(first, count, room) - 1 : first;
        const int64_t end = fixedSize + axis.Sum(first, stop + 1);
        *edge = static_cast<int>(std::min<int64_t>(end, clientEdge));
        return stop;
    };
    int right = 0, bottom = 0;
    const int maxRow = last(rows_, topLeft.row, GetFixedRowHeight(), clientHeight_, &bottom);
    const int maxCol = last(cols_, topLeft.col, GetFixedColumnWidth(), clientWidth_, &right);
    if (area)
        *area = RECT{0, 0, right, bottom};
    return CGridCellRange(topLeft.row, topLeft.col, maxRow, maxCol);
}

bool CGridModel::IsCellVisible(int row, int col) const {
    if (!IsValid(row, col))
        return false;
    const CGridCellRef topLeft = GetTopleftNonFixedCell();
    if ((row >= fixedRows_ && row < topLeft.row) || (col >= fixedCols_ && col < topLeft.col))
        return false;
    // A cell that starts inside the client area is visible.
    const int64_t x = col < fixedCols_ ? cols_.Start(col) : GetFixedColumnWidth() + cols_.Sum(topLeft.col, col);
    const int64_t y = row < fixedRows_ ? rows_.Start(row) : GetFixedRowHeight() + rows_.Sum(topLeft.row, row);
    return x < clientWidth_ && y < clientHeight_;
}

POINT CGridModel::GetPointClicked(int row, int col, POINT point) const {
    POINT origin;
    if (!GetCellOrigin(row, col, &origin))
        return POINT{0, 0};
    return POINT{point.x - origin.x, point.y - origin.y};
}

bool CGridModel::MouseOverColumnResizeArea(POINT point) const {
    if (point.y >= GetFixedRowHeight())
        return false;
    const CGridCellRef cell = GetCellFromPt(point);
    POINT origin;
    if (!GetCellOrigin(cell.row, cell.col, &origin))
        return false;
    const int fromLeft = point.x - origin.x;
    const int fromRight = origin.x + GetColumnWidth(cell.col) - point.x;
    return (fromLeft < resizeCaptureRange_ && cell.col != 0) || fromRight < resizeCaptureRange_;
}

bool CGridModel::MouseOverRowResizeArea(POINT point) const {
    if (point.x >= GetFixedColumnWidth())
        return false;
    const CGridCellRef cell = GetCellFromPt(point);
    POINT origin;
    if (!GetCellOrigin(cell.row, cell.col, &origin))
        return false;
    const int fromTop = point.y - origin.y;
    const int fromBottom = origin.y + GetRowHeight(cell.row) - point.y;
    return (fromTop < resizeCaptureRange_ && cell.row != 0) || fromBottom < resizeCaptureRange_;
}

CGridModel::ScrollLayout CGridModel::ComputeScrollLayout(int clientWidth, int clientHeight, bool vShown,
                                                         bool hShown, int barWidth, int barHeight,
                                                         int border) const {
    ScrollLayout layout;
    RECT r{0, 0, clientWidth, clientHeight};
    if (vShown)
        r.right += barWidth + border;
    if (hShown)
        r.bottom += barHeight + border;
    const int fixedWidth = GetFixedColumnWidth(), fixedHeight = GetFixedRowHeight();
    r.left += fixedWidth;
    r.top += fixedHeight;
    if (r.IsRectEmpty()) {
        layout.empty = true;
        return layout;
    }
    const int64_t virtualHeight = GetVirtualHeight() - fixedHeight;
    const int64_t virtualWidth = GetVirtualWidth() - fixedWidth;
    if (r.bottom - fixedHeight < virtualHeight)
        r.right -= barWidth;
    if (r.right - fixedWidth < virtualWidth)
        r.bottom -= barHeight;
    const int visibleHeight = r.bottom - fixedHeight, visibleWidth = r.right - fixedWidth;
    layout.show[SB_VERT] = visibleHeight < virtualHeight;
    // Scroll positions are ints: a grid taller than that scrolls over its first 2^31 pixels.
    const int64_t limit = INT32_MAX;
    layout.maximum[SB_VERT] = layout.show[SB_VERT] ? static_cast<int>(std::min(virtualHeight - 1, limit)) : 0;
    layout.show[SB_HORZ] = visibleWidth < virtualWidth;
    layout.maximum[SB_HORZ] = layout.show[SB_HORZ] ? static_cast<int>(std::min(virtualWidth - 1, limit)) : 0;
    layout.page[SB_VERT] = layout.maximum[SB_VERT] > 0 ? visibleHeight : 0;
    layout.page[SB_HORZ] = layout.maximum[SB_HORZ] > 0 ? visibleWidth : 0;
    return layout;
}
