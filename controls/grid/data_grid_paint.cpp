// The grid's painting, scrolling and sizing.
#include "controls/grid/data_grid.h"

#include "controls/grid/dc_grid_canvas.h"
#include "platform/ui/input_state.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"

#include <QPainter>
#include <algorithm>

namespace {

RECT Intersect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

} // namespace

void CDataGrid::EraseBkgnd(CDC* dc, const RECT& clip) {
    const int fixedWidth = GetFixedColumnWidth(), fixedHeight = GetFixedRowHeight();
    RECT visibleArea;
    GetVisibleNonFixedCellRange(&visibleArea);
    const COLORREF corner = GetDefaultCell(true, true)->GetBackClr();
    const COLORREF fixedRow = GetDefaultCell(true, false)->GetBackClr();
    const COLORREF fixedCol = GetDefaultCell(false, true)->GetBackClr();
    const COLORREF normal = GetDefaultCell(false, false)->GetBackClr();
    if (clip.left < fixedWidth && clip.top < fixedHeight)
        dc->FillSolidRect(RECT{clip.left, clip.top, fixedWidth, fixedHeight}, corner);
    if (clip.left < fixedWidth && clip.top < visibleArea.bottom)
        dc->FillSolidRect(RECT{clip.left, clip.top, fixedWidth, visibleArea.bottom}, fixedCol);
    if (clip.top < fixedHeight && clip.right > fixedWidth && clip.left < visibleArea.right)
        dc->FillSolidRect(RECT{fixedWidth - 1, clip.top, visibleArea.right, fixedHeight}, fixedRow);
    const RECT common = Intersect(visibleArea, clip);
    if (!common.IsRectEmpty())
        dc->FillSolidRect(RECT{std::max(fixedWidth, common.left), std::max(fixedHeight, common.top), common.right,
                               common.bottom},
                          normal);
    if (visibleArea.right < clip.right)
        dc->FillSolidRect(RECT{visibleArea.right, clip.top, clip.right, clip.bottom}, GetGridBkColor());
    if (visibleArea.bottom < clip.bottom && clip.left < visibleArea.right)
        dc->FillSolidRect(RECT{clip.left, visibleArea.bottom, visibleArea.right, clip.bottom}, GetGridBkColor());
}

void CDataGrid::OnDraw(CDC* dc, const RECT& clip) {
    if (clip.IsRectEmpty())
        return;
    EraseBkgnd(dc, clip);
    CDCGridCanvas canvas(dc);
    const int fixedWidth = GetFixedColumnWidth(), fixedHeight = GetFixedRowHeight();
    RECT area;
    const CGridCellRange visible = GetVisibleNonFixedCellRange(&area);

    // Cells of rows [rowFrom, rowTo] and columns [colFrom, colTo] from (x0, y0),
    // only those that reach into the clip box.
    auto drawBlock = [&](int rowFrom, int rowTo, int y0, int colFrom, int colTo, int x0) {
        int y = y0;
        for (int row = rowFrom; row <= rowTo; ++row) {
            const int height = GetRowHeight(row);
            if (height <= 0)
                continue;
            if (y > clip.bottom)
                break;
            const int top = y;
            y += height;
            if (y - 1 < clip.top)
                continue;
            int x = x0;
            for (int col = colFrom; col <= colTo; ++col) {
                const int width = GetColumnWidth(col);
                if (width <= 0)
                    continue;
                if (x > clip.right)
                    break;
                const int left = x;
                x += width;
                if (x - 1 < clip.left)
                    continue;
                if (CGridCellBase* cell = GetCell(row, col))
                    cell->Draw(&canvas, row, col, RECT{left, top, x - 1, y - 1}, false);
            }
        }
    };
    drawBlock(0, GetFixedRowCount() - 1, 0, 0, GetFixedColumnCount() - 1, 0);
    drawBlock(visible.minRow, visible.maxRow, fixedHeight, 0, GetFixedColumnCount() - 1, 0);
    drawBlock(0, GetFixedRowCount() - 1, 0, visible.minCol, visible.maxCol, fixedWidth);
    drawBlock(visible.minRow, visible.maxRow, fixedHeight, visible.minCol, visible.maxCol, fixedWidth);

    // Grid lines between the non-fixed cells.
    const COLORREF line = GetGridLineColor();
    if (GetGridLines() & GRID_LINES_VERT) {
        int x = fixedWidth;
        for (int col = visible.minCol; col <= visible.maxCol; ++col) {
            if (GetColumnWidth(col) <= 0)
                continue;
            x += GetColumnWidth(col);
            canvas.Line(POINT{x - 1, fixedHeight}, POINT{x - 1, area.bottom}, line);
        }
    }
    if (GetGridLines() & GRID_LINES_HORZ) {
        int y = fixedHeight;
        for (int row = visible.minRow; row <= visible.maxRow; ++row) {
            if (GetRowHeight(row) <= 0)
                continue;
            y += GetRowHeight(row);
            canvas.Line(POINT{fixedWidth, y - 1}, POINT{area.right, y - 1}, line);
        }
    }
}

void CDataGrid::OnScroll(int bar, int code) {
    EndEditing();
    const bool vertical = bar == SB_VERT;
    const int position = GetScrollPos32(bar);
    const int maximum = GetScrollMaximum(bar);
    const CGridCellRef topLeft = GetTopleftNonFixedCell();
    const RECT client = GetClientRect();
    const int fixed = vertical ? GetFixedRowHeight() : GetFixedColumnWidth();
    const int page = (vertical ? client.bottom : client.right) - fixed;
    const int count = vertical ? GetRowCount() : GetColumnCount();
    const int fixedCount = vertical ? GetFixedRowCount() : GetFixedColumnCount();
    auto size = [&](int index) { return vertical ? GetRowHeight(index) : GetColumnWidth(index); };
    RECT scrolled = client; // the client area less the fixed band
    (vertical ? scrolled.top : scrolled.left) = fixed;
    const int first = vertical ? topLeft.row : topLeft.col;

    switch (code) {
    case SB_LINEDOWN: {
        if (position >= maximum)
            return;
        int k = first;
        while (k < count - 1 && size(k) == 0)
            ++k;
        SetScrollPos32(bar, position + size(k));
        if (GetScrollPos32(bar) == position)
            return;
        InvalidateRect(&scrolled);
        return;
    }
    case SB_LINEUP: {
        if (position <= 0 || first <= fixedCount)
            return;
        int k = first - 1;
        while (k > fixedCount && size(k) == 0)
            --k;
        SetScrollPos32(bar, std::max(0, position - size(k)));
        InvalidateRect(&scrolled);
        return;
    }
    case SB_PAGEDOWN:
        if (position < maximum) {
            SetScrollPos32(bar, std::min(maximum, position + page));
            InvalidateRect(&scrolled);
        }
        return;
    case SB_PAGEUP:
        if (position > 0) {
            SetScrollPos32(bar, std::max(0, position - page));
            InvalidateRect(&scrolled);
        }
        return;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(bar, &info);
        SetScrollPos32(bar, info.nTrackPos);
        ForgetTopLeft();
        if (GetTopleftNonFixedCell() != topLeft)
            InvalidateRect(&scrolled);
        return;
    }
    case SB_TOP:
        if (position > 0) {
            SetScrollPos32(bar, 0);
            Invalidate();
        }
        return;
    case SB_BOTTOM:
        if (position < maximum) {
            SetScrollPos32(bar, maximum);
            Invalidate();
        }
        return;
    default:
        return;
    }
}

void CDataGrid::OnMouseWheel(int bar, int delta) {
    // Up the wheel goes up; a tilt to the right (positive) goes right.
    const bool back = bar == SB_VERT ? delta > 0 : delta < 0;
    const UINT message = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    if (wheelLines_ == -1) {
        const int pages = delta / WHEEL_DELTA;
        for (int i = 0; i < std::abs(pages); ++i)
            PostMessage(message, back ? SB_PAGEUP : SB_PAGEDOWN);
        return;
    }
    const int lines = wheelLines_ * delta / WHEEL_DELTA;
    for (int i = 0; i < std::abs(lines); ++i)
        PostMessage(message, back ? SB_LINEUP : SB_LINEDOWN);
}

void CDataGrid::EnsureVisible(int row, int col) {
    QWidget* focus = GetFocus();
    const CGridCellRange visible = GetVisibleNonFixedCellRange();
    for (int c = visible.maxCol + 1; c <= col; ++c)
        if (GetColumnWidth(c) > 0)
            SendMessage(WM_HSCROLL, SB_LINERIGHT);
    for (int c = visible.minCol - 1; c >= col; --c)
        if (GetColumnWidth(c) > 0)
            SendMessage(WM_HSCROLL, SB_LINELEFT);
    for (int r = visible.maxRow + 1; r <= row; ++r)
        if (GetRowHeight(r) > 0)
            SendMessage(WM_VSCROLL, SB_LINEDOWN);
    for (int r = visible.minRow - 1; r >= row; --r)
        if (GetRowHeight(r) > 0)
            SendMessage(WM_VSCROLL, SB_LINEUP);
    RECT rect;
    const RECT client = GetClientRect();
    if (GetCellRect(row, col, &rect)) {
        while (rect.right > client.right && rect.left > GetFixedColumnWidth() && IsScrollBarShown(SB_HORZ)) {
            const int before = GetScrollPos32(SB_HORZ);
            SendMessage(WM_HSCROLL, SB_LINERIGHT);
            if (GetScrollPos32(SB_HORZ) == before || !GetCellRect(row, col, &rect))
                break;
        }
        while (rect.bottom > client.bottom && rect.top > GetFixedRowHeight() && IsScrollBarShown(SB_VERT)) {
            const int before = GetScrollPos32(SB_VERT);
            SendMessage(WM_VSCROLL, SB_LINEDOWN);
            if (GetScrollPos32(SB_VERT) == before || !GetCellRect(row, col, &rect))
                break;
        }
    }
    if (focus && focus != GetFocus())
        focus->setFocus();
}

// ---- resizing by dragging and double-clicking a divider

RECT CDataGrid::TrackerAt(POINT point) const {
    const RECT client = const_cast<CDataGrid*>(this)->GetClientRect();
    if (mouseMode_ == MouseMode::SizingCol)
        return RECT{point.x, client.top, point.x + 2, client.bottom};
    return RECT{client.left, point.y, client.right, point.y + 2};
}

void CDataGrid::StartResize(POINT point) {
    const bool columns = mouseMode_ == MouseMode::OverColDivide;
    mouseMode_ = columns ? MouseMode::SizingCol : MouseMode::SizingRow;
    const int capture = GetResizeCaptureRange();
    RECT area;
    GetVisibleNonFixedCellRange(&area);
    const int last = (columns ? GetColumnCount() : GetRowCount()) - 1;
    int& index = columns ? pressCell_.col : pressCell_.row;
    const int lastSize = columns ? GetColumnWidth(last) : GetRowHeight(last);
    const int along = columns ? point.x : point.y;
    if (lastSize < capture && std::abs(along - (columns ? area.right : area.bottom)) < capture)
        index = last; // a collapsed last column or row can be grabbed
    POINT start;
    if (!GetCellOrigin(columns ? 0 : index, columns ? index : 0, &start))
        return;
    InvertTracker(TrackerAt(point));
    const int startAlong = columns ? start.x : start.y;
    if (along - startAlong < capture && (index != last || lastSize >= capture)) {
        // The press was on the left (top) divider: the one before is resized.
        --index;
        if (index < 0 || !GetCellOrigin(columns ? 0 : index, columns ? index : 0, &start))
            return;
    }
    // The pointer is held between the resized column's own left edge (where
    // it is hidden) and a width of the client area less the fixed columns;
    // rows alike downwards.
    const RECT client = GetClientRect();
    POINT low = columns ? POINT{start.x, client.top} : POINT{client.left, start.y};
    POINT high = columns ? POINT{start.x + 1 + client.right - GetFixedColumnWidth(), client.bottom}
                         : POINT{client.right, start.y + 1 + client.bottom - GetFixedRowHeight()};
    ClientToScreen(&low);
    ClientToScreen(&high);
    const RECT confine{low.x, low.y, high.x, high.y};
    ClipCursor(&confine);
}

void CDataGrid::TrackResize(POINT point) {
    InvertTracker(TrackerAt(lastMousePoint_));
    InvertTracker(TrackerAt(point));
}

void CDataGrid::FinishResize(POINT point) {
    InvertTracker(TrackerAt(lastMousePoint_));
    const bool columns = mouseMode_ == MouseMode::SizingCol;
    if ((point.x != pressPoint_.x || point.y != pressPoint_.y) && (point.x != 0 || point.y != 0)) {
        POINT start;
        if (GetCellOrigin(columns ? 0 : pressCell_.row, columns ? pressCell_.col : 0, &start)) {
            if (columns)
                SetColumnWidth(pressCell_.col, std::max(point.x - start.x, 0));
            else
                SetRowHeight(pressCell_.row, std::max(point.y - start.y, 0));
            ResetScrollBars();
            Invalidate();
        }
    }
}

void CDataGrid::AutoSizeAt(POINT point) {
    const CGridCellRef cell = GetCellFromPt(point);
    const bool columns = mouseMode_ == MouseMode::OverColDivide;
    POINT start;
    if (!GetCellOrigin(columns ? 0 : cell.row, columns ? cell.col : 0, &start))
        return;
    int index = columns ? cell.col : cell.row;
    if ((columns ? point.x - start.x : point.y - start.y) < GetResizeCaptureRange()) {
        --index; // the one before the divider, past hidden ones
        while (index >= 0 && (columns ? GetColumnWidth(index) : GetRowHeight(index)) == 0)
            --index;
    }
    if (index < 0)
        return;
    if (columns)
        AutoSizeColumn(index, AUTOSIZE_BOTH, true);
    else
        AutoSizeRow(index, true);
    Invalidate();
}

bool CDataGrid::AutoSizeColumn(int col, UINT style, bool resetScroll) {
    if (col < 0 || col >= GetColumnCount() || GetColumnWidth(col) <= 0)
        return false;
    if (style == 0)
        style = AUTOSIZE_BOTH;
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    CDC dc(&painter);
    CDCGridCanvas canvas(&dc);
    const int from = (style & AUTOSIZE_HEADER) ? 0 : GetFixedRowCount();
    const int to = (style & AUTOSIZE_DATA) ? GetRowCount() : GetFixedRowCount();
    int width = 0;
    for (int row = from; row < to; ++row)
        if (const CGridCellBase* cell = GetCell(row, col))
            width = std::max(width, static_cast<int>(cell->GetCellExtent(&canvas).cx));
    SetColumnWidth(col, width);
    if (resetScroll)
        ResetScrollBars();
    return true;
}

bool CDataGrid::AutoSizeRow(int row, bool resetScroll) {
    if (row < 0 || row >= GetRowCount() || GetRowHeight(row) <= 0)
        return false;
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    CDC dc(&painter);
    CDCGridCanvas canvas(&dc);
    int height = 0;
    for (int col = 0; col < GetColumnCount(); ++col)
        if (const CGridCellBase* cell = GetCell(row, col))
            height = std::max(height, static_cast<int>(cell->GetCellExtent(&canvas).cy));
    SetRowHeight(row, height);
    if (resetScroll)
        ResetScrollBars();
    return true;
}

LRESULT CDataGrid::OnSetCursor() {
    if (mouseMode_ == MouseMode::OverRowDivide) {
        ::SetCursor(Cursor::SizeNS);
        return 1;
    }
    if (mouseMode_ == MouseMode::OverColDivide) {
        ::SetCursor(Cursor::SizeWE);
        return 1;
    }
    POINT at = PointFromParam(GetMessagePos());
    ScreenToClient(&at);
    const CGridCellRef cell = GetCellFromPt(at);
    CGridCellBase* cellObject = GetCell(cell.row, cell.col);
    ::SetCursor(cellObject ? cellObject->OnSetCursor() : Cursor::Arrow);
    return 1;
}
