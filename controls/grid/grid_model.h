#pragma once
// The grid's model and geometry in plain C++: rows and columns of cells with
// a fixed band at the top and left, four default cells, the focus cell and
// the selection, modification tracking, and where every cell lies for the
// current scroll positions and client size.
//
// What needs a window (repainting, scroll bars, telling the owner, measuring
// text, the in-place editor) goes through virtual hooks that do nothing
// here; CDataGrid fills them in.
#include "controls/grid/grid_axis.h"
#include "controls/grid/grid_cell.h"

#include <string>
#include <unordered_map>
#include <vector>

class CGridModel {
public:
    CGridModel(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
    virtual ~CGridModel();
    CGridModel(const CGridModel&) = delete;
    CGridModel& operator=(const CGridModel&) = delete;

    // ---- rows and columns
    int GetRowCount() const { return rowCount_; }
    int GetColumnCount() const { return colCount_; }
    int GetFixedRowCount() const { return fixedRows_; }
    int GetFixedColumnCount() const { return fixedCols_; }
    bool SetRowCount(int rows);
    bool SetColumnCount(int cols);
    bool SetFixedRowCount(int fixedRows);
    bool SetFixedColumnCount(int fixedCols);
    bool DeleteRow(int row);
    bool DeleteAllItems();
    int GetRowHeight(int row) const;
    int GetColumnWidth(int col) const;
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    int GetFixedRowHeight() const { return static_cast<int>(rows_.Sum(0, fixedRows_)); }
    int GetFixedColumnWidth() const { return static_cast<int>(cols_.Sum(0, fixedCols_)); }
    int64_t GetVirtualHeight() const { return rows_.Start(rowCount_); }
    int64_t GetVirtualWidth() const { return cols_.Start(colCount_); }

    // ---- cells
    bool IsValid(int row, int col) const { return row >= 0 && row < rowCount_ && col >= 0 && col < colCount_; }
    bool IsValid(const CGridCellRef& cell) const { return IsValid(cell.row, cell.col); }
    bool IsValid(const CGridCellRange& range) const;
    CGridCellBase* GetCell(int row, int col) const;
    virtual CGridCellBase* CreateCell(int row, int col);
    virtual void DestroyCell(int row, int col);
    bool SetCellType(int row, int col, const CGridRuntimeClass* cellClass);
    void SetDefaultCellType(const CGridRuntimeClass* cellClass) { cellClass_ = cellClass; }
    bool SetItem(const GRID_ITEM* item);
    bool SetItemText(int row, int col, const std::string& text);
    std::string GetItemText(int row, int col) const;
    bool SetItemState(int row, int col, UINT state);
    UINT GetItemState(int row, int col) const;
    bool SetItemBkColour(int row, int col, COLORREF colour);
    bool SetItemFgColour(int row, int col, COLORREF colour);
    bool SetItemFont(int row, int col, const LOGFONT* font);
    bool IsCellEditable(int row, int col) const { return editable_ && !(GetItemState(row, col) & GCS_READONLY); }
    bool IsCellSelected(int row, int col) const { return GetItemState(row, col) & GCS_SELECTED; }
    bool IsItemEditing(int row, int col) const;
    int GetSelectedCount() const { return static_cast<int>(selected_.size()); }
    CGridCellBase* GetDefaultCell(bool fixedRow, bool fixedCol) const;
    void SetupDefaultCells();
    // Gives the font to the four default cells (which size themselves by it).
    void SetDefaultFont(const LOGFONT& font);
    void SetModified(bool modified = true, int row = -1, int col = -1);
    bool GetModified() const { return modified_; }

    // ---- options
    void SetEditable(bool editable) { editable_ = editable; }
    bool IsEditable() const { return editable_; }
    void SetGridBkColor(COLORREF colour) { gridBkColour_ = colour; }
    COLORREF GetGridBkColor() const { return gridBkColour_; }
    void SetGridLineColor(COLORREF colour) { gridLineColour_ = colour; }
    COLORREF GetGridLineColor() const { return gridLineColour_; }
    void SetGridLines(int lines);
    int GetGridLines() const { return gridLines_; }
    void SetRowResize(bool allow) { rowResize_ = allow; }
    bool GetRowResize() const { return rowResize_; }
    void SetColumnResize(bool allow) { colResize_ = allow; }
    bool GetColumnResize() const { return colResize_; }
    void SetSingleRowSelection(bool on) { singleRowSelection_ = on; }
    void SetListMode(bool on);
    bool GetListMode() const { return listMode_; }
    void SetHeaderSort(bool on) { headerSort_ = on; }
    void SetFixedColumnSelection(bool on) { fixedColumnSelection_ = on; }
    bool SingleRowSelectionInEffect() const { return singleRowSelection_ && listMode_; }

    // ---- focus and selection
    CGridCellRef SetFocusCell(int row, int col);
    CGridCellRef SetFocusCell(CGridCellRef cell) { return SetFocusCell(cell.row, cell.col); }
    CGridCellRef GetFocusCell() const { return focus_; }
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint = false,
                          bool selectCells = true);
    void SetSelectedRange(const CGridCellRange& range, bool forceRepaint = false, bool selectCells = true) {
        SetSelectedRange(range.minRow, range.minCol, range.maxRow, range.maxCol, forceRepaint, selectCells);
    }
    void SelectAllCells();
    void SelectColumns(CGridCellRef cell, bool forceRepaint = false, bool selectCells = true);
    void SelectRows(CGridCellRef cell, bool forceRepaint = false, bool selectCells = true);
    void SelectCells(CGridCellRef cell, bool forceRepaint = false, bool selectCells = true);
    // Extends the selection to cell as the mouse mode says.
    void OnSelecting(CGridCellRef cell);
    CGridCellRange GetSelectedCellRange() const;
    void ResetSelectedRange();
    void SetSelectionStart(CGridCellRef cell) { selectionStart_ = cell; }
    CGridCellRef GetSelectionStart() const { return selectionStart_; }
    // Keeps the current selection to be added back while Ctrl extends it.
    void SaveSelection(bool keepCurrent);
    MouseMode GetMouseMode() const { return mouseMode_; }
    void SetMouseMode(MouseMode mode) { mouseMode_ = mode; }

    // ---- geometry, in client pixels for the current scroll and client size
    void SetClientSize(int width, int height);
    int GetScrollPos32(int bar) const { return scroll_[bar]; }
    // Sets a scroll position (forgetting the cached top-left cell).
    virtual bool SetScrollPos32(int bar, int position, bool redraw = true);
    int GetScrollMaximum(int bar) const { return scrollMax_[bar]; }
    CGridCellRef GetTopleftNonFixedCell(bool recompute = false) const;
    bool GetCellOrigin(int row, int col, POINT* origin) const;
    bool GetCellRect(int row, int col, RECT* rect) const;
    CGridCellRef GetCellFromPt(POINT point, bool allowFixed = true) const;
    CGridCellRange GetVisibleNonFixedCellRange(RECT* area = nullptr, bool recompute = false) const;
    bool IsCellVisible(int row, int col) const;
    POINT GetPointClicked(int row, int col, POINT point) const;
    bool MouseOverRowResizeArea(POINT point) const;
    bool MouseOverColumnResizeArea(POINT point) const;
    int GetResizeCaptureRange() const { return resizeCaptureRange_; }
    // The scroll range a client area of this size needs: the maxima of both
    // bars, and which bars show. The bars' pages are the visible sizes.
    struct ScrollLayout {
        bool show[2] = {false, false};
        int maximum[2] = {0, 0};
        int page[2] = {0, 0};
        bool empty = false; // nothing but fixed cells fits: no bars at all
    };
    ScrollLayout ComputeScrollLayout(int clientWidth, int clientHeight, bool vShown, bool hShown, int barWidth,
                                     int barHeight, int border) const;
    void SetScrollMaximum(int bar, int maximum) { scrollMax_[bar] = maximum; }
    void ForgetTopLeft() { topLeft_ = CGridCellRef(); }

    // ---- hooks for the window
    virtual void Refresh() {}
    virtual void ResetScrollBars() {}
    // Repaint one cell now (or later, when forceRepaint is off).
    virtual bool RedrawCell(int, int) { return false; }
    virtual bool InvalidateCellRect(int, int) { return false; }
    // Tell the owner: a GRID_NOTIFY with the code; its answer.
    virtual LRESULT SendMessageToParent(int, int, int) { return 0; }
    // The extent of text in a font; cx < 0 when nothing can measure.
    virtual SIZE MeasureText(const std::string&, const LOGFONT&) const { return SIZE{-1, -1}; }
    // Starts the in-place editor over a cell (null when there is none).
    virtual CGridInPlaceEdit* CreateInPlaceEdit(RECT, UINT, UINT, int, int, const std::string&, UINT) {
        return nullptr;
    }
    virtual void EndInPlaceEdit(CGridInPlaceEdit*) {}
    virtual void ForwardCharToEdit(CGridInPlaceEdit*, UINT) {}
    virtual void InvalidateClientRect(const RECT&) {}
    // A system colour by index; the classic table here.
    virtual COLORREF SysColor(int index) const;
    // The side of a check box (the width of a horizontal scroll bar's arrow).
    virtual int CheckBoxSize() const { return 16; }
    // Reads the system colours and gives them to the default cells.
    void RememberSystemColours();
    // After a change of the system colours: what still shows the old ones
    // takes the new ones; colours set by the owner stay.
    void SystemColoursChanged();
    // Busy cursor while a large selection changes.
    virtual void BeginWaitCursor() {}
    virtual void EndWaitCursor() {}

protected:
    CGridCellRef pressCell_;   // the cell under the last left-button press
    POINT pressPoint_{};
    POINT lastMousePoint_{};
    MouseMode mouseMode_ = MouseMode::None;
    bool fixedColumnSelection_ = true;
    bool headerSort_ = false;

private:
    // The selected-cell map's key: every row and column its own, beyond 65,535 rows too.
    static uint64_t Key(int row, int col) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(col)) << 32) | static_cast<uint32_t>(row);
    }
    void RedrawForSelection(int row, int col, bool now, const CGridCellRange& visible);
    // Sets or clears state bits on a block of cells, optionally giving them the default colours.
    void SetStateBits(int fromRow, int toRow, int fromCol, int toCol, UINT bits, bool on, bool defaultColours);

    int rowCount_ = 0, colCount_ = 0, fixedRows_ = 0, fixedCols_ = 0;
    CGridAxis rows_, cols_;
    std::vector<std::vector<CGridCellBase*>> cells_;
    CGridDefaultCell defaults_[4]; // normal, fixed column, fixed row, fixed corner
    const CGridRuntimeClass* cellClass_ = GRID_RUNTIME_CLASS(CGridCell);
    COLORREF gridBkColour_;
    COLORREF gridLineColour_ = RGB(192, 192, 192);
    COLORREF windowText_, window_, face_, shadow_;
    bool editable_ = true;
    int gridLines_ = GRID_LINES_BOTH;
    bool listMode_ = false;
    bool singleRowSelection_ = false;
    bool rowResize_ = true;
    bool colResize_ = true;
    CGridCellRef focus_;
    CGridCellRef selectionStart_;
    mutable CGridCellRef topLeft_;
    std::unordered_map<uint64_t, CGridCellRef> selected_;
    std::unordered_map<uint64_t, CGridCellRef> savedSelection_;
    bool modified_ = false;
    int scroll_[2] = {0, 0};
    int scrollMax_[2] = {0, 0};
    int clientWidth_ = 0, clientHeight_ = 0;
    int resizeCaptureRange_ = 3;

    friend class CDataGrid;
    friend class CGridTextDump;
};
