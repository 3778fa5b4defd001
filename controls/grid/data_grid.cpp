#include "controls/grid/data_grid.h"

#include "controls/grid/dc_grid_canvas.h"
#include "controls/grid/grid_inplace_edit.h"
#include "platform/ui/input_state.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"

#include <QApplication>
#include <QFontMetrics>
#include <algorithm>

namespace {

bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }

} // namespace

CDataGrid::CDataGrid(int rows, int cols, int fixedRows, int fixedCols) : CGridModel(rows, cols, fixedRows, fixedCols) {
    // Now the window's colours, fonts and measures apply.
    RememberSystemColours();
    SetGridBkColor(SysColor(COLOR_BTNSHADOW));
    NONCLIENTMETRICS metrics;
    SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics);
    SetDefaultFont(metrics.lfMessageFont);
    font_.CreateFontIndirect(metrics.lfMessageFont);
    CWnd::SetFont(&font_, false);
    SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &wheelLines_);
    SetClassCursor(Cursor::Arrow);
}

CDataGrid::~CDataGrid() {
    DestroyWindow();
    DeleteAllItems();
}

BOOL CDataGrid::Create(const RECT& rect, CWnd* parent, UINT id, uint32_t style) {
    if (!CWnd::Create(style, rect, parent, id, WS_EX_CLIENTEDGE))
        return 0;
    const auto* normal = static_cast<CGridDefaultCell*>(GetDefaultCell(false, false));
    for (int row = 0; row < GetRowCount(); ++row)
        SetRowHeight(row, normal->GetHeight());
    for (int col = 0; col < GetColumnCount(); ++col)
        SetColumnWidth(col, normal->GetWidth());
    return 1;
}

// ---- model hooks

COLORREF CDataGrid::SysColor(int index) const { return GetSysColor(index); }
int CDataGrid::CheckBoxSize() const { return GetSystemMetrics(SM_CXHSCROLL); }

void CDataGrid::Refresh() {
    if (IsWindow())
        Invalidate(true);
}

SIZE CDataGrid::MeasureText(const std::string& text, const LOGFONT& font) const {
    const QFontMetrics metrics(CDCGridCanvas::FontOf(font));
    return SIZE{metrics.horizontalAdvance(QString::fromLocal8Bit(text.c_str())), metrics.height()};
}

bool CDataGrid::SetScrollPos32(int bar, int position, bool redraw) {
    CGridModel::SetScrollPos32(bar, position, redraw);
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = position;
    if (IsWindow() && IsScrollBarShown(bar))
        CGridModel::SetScrollPos32(bar, SetScrollInfo(bar, info, redraw), redraw);
    return true;
}

void CDataGrid::EnableScrollBars(int bar, bool enable) {
    for (int b : {SB_HORZ, SB_VERT}) {
        const int bit = b == SB_HORZ ? 1 : 2;
        if ((bar == b || bar == SB_BOTH) && ((shownBars_ & bit) != 0) != enable) {
            shownBars_ ^= bit;
            ShowScrollBar(b, enable);
        }
    }
}

void CDataGrid::ResetScrollBars() {
    ForgetTopLeft();
    if (!IsWindow())
        return;
    const RECT client = GetClientRect();
    if (client.IsRectEmpty())
        return;
    const ScrollLayout layout = ComputeScrollLayout(client.right, client.bottom, IsScrollBarShown(SB_VERT),
                                              IsScrollBarShown(SB_HORZ), GetSystemMetrics(SM_CXVSCROLL),
                                              GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CXBORDER));
    if (layout.empty) {
        ShowScrollBar(SB_BOTH, false);
        return;
    }
    EnableScrollBars(SB_VERT, layout.show[SB_VERT]);
    SetScrollMaximum(SB_VERT, layout.maximum[SB_VERT]);
    EnableScrollBars(SB_HORZ, layout.show[SB_HORZ]);
    SetScrollMaximum(SB_HORZ, layout.maximum[SB_HORZ]);
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO info;
        info.fMask = SIF_PAGE | SIF_RANGE | (bar == SB_VERT ? UINT(SIF_DISABLENOSCROLL) : 0u);
        info.nMax = layout.maximum[bar];
        info.nPage = static_cast<UINT>(layout.page[bar]);
        SetScrollInfo(bar, info);
        // The position the bar keeps within its new range.
        SCROLLINFO position;
        position.fMask = SIF_POS;
        GetScrollInfo(bar, &position);
        CGridModel::SetScrollPos32(bar, IsScrollBarShown(bar) ? position.nPos : 0);
    }
}

bool CDataGrid::RedrawCell(int row, int col) {
    RECT rect;
    if (!IsCellVisible(row, col) || !GetCellRect(row, col, &rect))
        return false;
    rect.right++, rect.bottom++; // with its grid lines
    if (!IsWindow() || !isVisible()) {
        InvalidateRect(&rect, true);
        return true;
    }
    RedrawWindow(&rect, RDW_INVALIDATE | RDW_UPDATENOW);
    return true;
}

bool CDataGrid::InvalidateCellRect(int row, int col) {
    RECT rect;
    if (!IsWindow() || !IsValid(row, col) || !IsCellVisible(row, col) || !GetCellRect(row, col, &rect))
        return false;
    rect.right++, rect.bottom++;
    InvalidateRect(&rect, true);
    return true;
}

void CDataGrid::InvalidateClientRect(const RECT& rect) {
    if (IsWindow())
        InvalidateRect(&rect, true);
}

LRESULT CDataGrid::SendMessageToParent(int row, int col, int code) {
    if (!IsWindow())
        return 0;
    GRID_NOTIFY notify;
    notify.hdr.code = code;
    notify.iRow = row;
    notify.iColumn = col;
    return NotifyOwner(notify.hdr);
}

void CDataGrid::BeginWaitCursor() {
    if (waitDepth_++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CDataGrid::EndWaitCursor() {
    if (--waitDepth_ == 0)
        QApplication::restoreOverrideCursor();
}

CGridInPlaceEdit* CDataGrid::CreateInPlaceEdit(RECT rect, UINT style, UINT id, int row, int col,
                                               const std::string& text, UINT firstChar) {
    // The edit covers the cell's rectangle, whose right and bottom are inclusive.
    rect.right++, rect.bottom++;
    return new CGridInPlaceEdit(this, rect, style, id, row, col, text, firstChar);
}

void CDataGrid::EndInPlaceEdit(CGridInPlaceEdit* edit) { edit->EndEdit(); }

void CDataGrid::ForwardCharToEdit(CGridInPlaceEdit* edit, UINT character) {
    edit->SendMessage(WM_CHAR, character);
}

// ---- messages

LRESULT CDataGrid::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        CPaintDC paint(this);
        CMemDC dc(paint.Painter(), paint.ClipBox());
        OnDraw(&dc, paint.ClipBox());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_SIZE:
        OnSize();
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        OnScroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(SB_VERT, GET_WHEEL_DELTA_WPARAM(wParam));
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_MOUSEHWHEEL:
        OnMouseWheel(SB_HORZ, GET_WHEEL_DELTA_WPARAM(wParam));
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), PointFromParam(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), PointFromParam(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), PointFromParam(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(static_cast<UINT>(wParam), PointFromParam(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(static_cast<UINT>(wParam), PointFromParam(static_cast<uintptr_t>(lParam)));
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<CWnd*>(lParam) != this) {
            ClipCursor(nullptr); // a divider drag cut short leaves the pointer free
            if (timer_) {
                KillTimer(timer_);
                timer_ = 0;
            }
        }
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam));
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (ControlDown() ? 0u : UINT(DLGC_WANTTAB));
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == LVN_ENDLABELEDIT && header->idFrom == IDC_INPLACE_EDIT) {
            OnEndInPlaceEdit(reinterpret_cast<const GRID_DISPINFO*>(lParam));
            return 0;
        }
        break;
    }
    case WM_SETCURSOR:
        return OnSetCursor();
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        return 0;
    case WM_SETFONT: {
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        if (const auto* font = reinterpret_cast<const CFont*>(wParam)) {
            SetDefaultFont(font->GetLogFont());
            Refresh();
        }
        return result;
    }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CDataGrid::OnSize() {
    if (sizing_ || !IsWindow())
        return;
    sizing_ = true;
    EndEditing();
    const RECT client = GetClientRect();
    SetClientSize(client.right, client.bottom);
    ResetScrollBars();
    // The bars may have changed the client area.
    const RECT after = GetClientRect();
    SetClientSize(after.right, after.bottom);
    sizing_ = false;
}

void CDataGrid::OnSysColorChange() {
    SystemColoursChanged();
    Refresh();
}
