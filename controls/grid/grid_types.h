#pragma once
// The grid's value types: cell coordinates and ranges, cell state bits, the
// item record, the notification records and codes, and the option values.
// Plain C++ (window types only as values).
#include "platform/ui/win_types.h"

#include <string>

// A cell's (row, col); (-1, -1) is no cell.
struct CGridCellRef {
    int row = -1;
    int col = -1;
    CGridCellRef() = default;
    CGridCellRef(int r, int c) : row(r), col(c) {}
    bool operator==(const CGridCellRef& o) const { return row == o.row && col == o.col; }
    bool operator!=(const CGridCellRef& o) const { return !(*this == o); }
};

// A block of cells; (-1, -1, -1, -1) is no range.
struct CGridCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;
    CGridCellRange() = default;
    CGridCellRange(int r0, int c0, int r1, int c1) : minRow(r0), minCol(c0), maxRow(r1), maxCol(c1) {}
    bool InRange(int row, int col) const { return row >= minRow && row <= maxRow && col >= minCol && col <= maxCol; }
    CGridCellRef GetTopLeft() const { return {minRow, minCol}; }
    bool operator==(const CGridCellRange& o) const {
        return minRow == o.minRow && minCol == o.minCol && maxRow == o.maxRow && maxCol == o.maxCol;
    }
};

// Cell state bits.
enum : UINT {
    GCS_FOCUSED = 0x01,
    GCS_SELECTED = 0x02,
    GCS_DROPHILITED = 0x04,
    GCS_READONLY = 0x08,
    GCS_FIXED = 0x10,
    GCS_FIXEDROW = 0x20,
    GCS_FIXEDCOL = 0x40,
    GCS_MODIFIED = 0x80,
};

// What a GRID_ITEM carries.
enum : UINT {
    GCIF_TEXT = 0x001, GCIF_IMAGE = 0x002, GCIF_PARAM = 0x004, GCIF_STATE = 0x008, GCIF_BKCLR = 0x010,
    GCIF_FGCLR = 0x020, GCIF_FORMAT = 0x040, GCIF_FONT = 0x080, GCIF_MARGIN = 0x100,
};

// "Use the default cell's value" in a cell's format and margin.
constexpr UINT GRID_DEFAULT = 0xFFFFFFFF;

struct GRID_ITEM {
    int row = 0;
    int col = 0;
    UINT mask = 0;
    UINT state = 0;
    UINT nFormat = 0;
    int iImage = -1;
    COLORREF crBkClr = CLR_DEFAULT;
    COLORREF crFgClr = CLR_DEFAULT;
    LPARAM lParam = 0;
    LOGFONT lfFont;
    UINT nMargin = 0;
    std::string strText;
};

struct GRID_NOTIFY {
    NMHDR hdr;
    int iRow = -1;
    int iColumn = -1;
};

struct GRID_DISPINFO {
    NMHDR hdr;
    GRID_ITEM item;
};

// Notification codes (the list-view and common codes).
enum : int {
    LVN_ITEMCHANGING = -100,
    LVN_ITEMCHANGED = -101,
    LVN_BEGINLABELEDIT = -105,
    LVN_ENDLABELEDIT = -106,
    NM_CLICK = -2,
    NM_DBLCLK = -3,
    NM_RCLICK = -5,
};

enum : int { GRID_LINES_NONE = 0, GRID_LINES_HORZ = 1, GRID_LINES_VERT = 2, GRID_LINES_BOTH = 3 };
enum : UINT { AUTOSIZE_HEADER = 1, AUTOSIZE_DATA = 2, AUTOSIZE_BOTH = 3 };

// What a mouse press is doing.
enum class MouseMode {
    None, SelectAll, SelectCol, SelectRow, SelectCells, OverRowDivide, SizingRow, OverColDivide, SizingCol,
    PrepareEdit,
};

// The in-place editor's control id.
constexpr UINT IDC_INPLACE_EDIT = 8;
