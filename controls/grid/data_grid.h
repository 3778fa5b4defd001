#pragma once
// CDataGrid: the grid window. The model and geometry (CGridModel) say what
// the grid holds and where each cell lies; this class turns messages into
// selection, navigation, editing, resizing and scrolling, paints the visible
// cells, exchanges text with the clipboard and tells its owner with
// WM_NOTIFY (GRID_NOTIFY records with the list-view and common codes).
#include "controls/grid/grid_model.h"
#include "platform/ui/dc.h"
#include "platform/ui/wnd.h"

#include <string>

class CDataGrid : public CWnd, public CGridModel {
public:
    CDataGrid(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
    ~CDataGrid() override;

    // The window: style as given plus a sunken client edge; every row and
    // column then takes the normal default cell's size.
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, uint32_t style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP);

    // ---- editing
    virtual void OnEditCell(int row, int col, POINT point, UINT firstChar);
    virtual void OnEndEditCell(int row, int col, const std::string& text);
    virtual bool ValidateEdit(int row, int col, const std::string& text);
    virtual void EndEditing();
    virtual void OnFixedRowClick(CGridCellRef cell);
    virtual void OnFixedColumnClick(CGridCellRef cell);

    // ---- clipboard commands
    virtual void CutSelectedText();
    // The selected block as clipboard text; empty when nothing is selected.
    virtual std::string CopyTextFromGrid() const;
    virtual bool PasteTextToGrid(CGridCellRef start, const std::string& text, bool selectPasted = true);
    virtual void OnEditCut();
    virtual void OnEditCopy();
    virtual void OnEditPaste();
    virtual void OnEditSelectAll();
    void SetTextWithNotify(int row, int col, const std::string& text);

    // ---- sizing and scrolling
    bool AutoSizeColumn(int col, UINT style = 0, bool resetScroll = true);
    bool AutoSizeRow(int row, bool resetScroll = true);
    void EnsureVisible(int row, int col);
    void EnsureVisible(CGridCellRef cell) { EnsureVisible(cell.row, cell.col); }
    int GetMouseScrollLines() const { return wheelLines_; }
    void EnableScrollBars(int bar, bool enable);
    // The size of the rectangle a cell's text is drawn in (inside its edge
    // and margins), visible or not; empty for a cell out of the grid.
    SIZE TextRoom(int row, int col) const;

    // ---- model hooks the window fills in
    void Refresh() override;
    void ResetScrollBars() override;
    bool SetScrollPos32(int bar, int position, bool redraw = true) override;
    bool RedrawCell(int row, int col) override;
    bool InvalidateCellRect(int row, int col) override;
    LRESULT SendMessageToParent(int row, int col, int code) override;
    SIZE MeasureText(const std::string& text, const LOGFONT& font) const override;
    CGridInPlaceEdit* CreateInPlaceEdit(RECT rect, UINT style, UINT id, int row, int col, const std::string& text,
                                        UINT firstChar) override;
    void EndInPlaceEdit(CGridInPlaceEdit* edit) override;
    void ForwardCharToEdit(CGridInPlaceEdit* edit, UINT character) override;
    void InvalidateClientRect(const RECT& rect) override;
    COLORREF SysColor(int index) const override;
    int CheckBoxSize() const override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnDraw(CDC* dc, const RECT& clipBox);
    void EraseBkgnd(CDC* dc, const RECT& clipBox);

private:
    void OnLButtonDown(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnLButtonDblClk(UINT flags, POINT point);
    void OnRButtonUp(UINT flags, POINT point);
    void OnTimer(uintptr_t id);
    void OnKeyDown(UINT key);
    void OnChar(UINT character);
    void OnScroll(int bar, int code);
    // A turn of the wheel (SB_VERT) or a tilt of it (SB_HORZ): the posted
    // scroll messages of as many lines, or pages, as the setting asks.
    void OnMouseWheel(int bar, int delta);
    void OnSize();
    void OnSysColorChange();
    LRESULT OnSetCursor();
    void OnEndInPlaceEdit(const GRID_DISPINFO* info);
    void StartResize(POINT point);
    void TrackResize(POINT point);
    void FinishResize(POINT point);
    void AutoSizeAt(POINT point);
    RECT TrackerAt(POINT point) const;
    bool CellHasTextAt(CGridCellRef cell, POINT point) const;
    // Over a column divider, a row divider (each where resizing it is
    // allowed) or neither.
    MouseMode DividerModeAt(POINT point) const;
    // Sets the mode of a pointer over a divider (or over none) with its cursor.
    void SetHoverMode(MouseMode mode);
    // With no mouse operation under way, takes the mode of a divider under the point.
    void EnterDividerMode(POINT point);
    // The whole text of a cell that draws it cut short (with an ellipsis);
    // empty when the text fits. The pointer over such a cell shows it as a tooltip.
    std::string TextCutShort(CGridCellRef cell) const;
    void ShowCutTextAt(POINT point);

    CFont font_;
    int wheelLines_ = 3;
    uintptr_t timer_ = 0;
    bool leftButtonDown_ = false;
    bool sizing_ = false; // re-entry guard of WM_SIZE
    int shownBars_ = 0;   // 1: horizontal shown, 2: vertical shown
    int waitDepth_ = 0;
};
