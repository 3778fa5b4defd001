#include "demo/scrolled_list.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"

#include <QLineEdit>
#include <algorithm>

namespace {

constexpr UINT kEditorId = 8;

// The in-place editor: Return and Escape end the edit, focus leaving it
// keeps the text. It tells the list with WM_COMMAND.
class RowEditor : public CEdit {
public:
    using CEdit::CEdit;
    enum : UINT { kKeep = 1, kCancel = 2 };

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_CHAR:
            if (wParam == '\r' || wParam == 27) {
                End(wParam == '\r' ? kKeep : kCancel);
                return 0;
            }
            break;
        case WM_KILLFOCUS:
            CEdit::WindowProc(message, wParam, lParam);
            End(kKeep);
            return 0;
        }
        return CEdit::WindowProc(message, wParam, lParam);
    }

private:
    void End(UINT how) {
        if (IsWindow() && isVisible())
            GetParent()->SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELPARAM(kEditorId, how)),
                                     reinterpret_cast<LPARAM>(this));
    }
};

} // namespace

int RowGeometry::RowAt(int y) const {
    const int row = (y + scroll) / rowHeight;
    return y >= 0 && row < rowCount ? row : -1;
}

RECT RowGeometry::RowRect(int row, int clientWidth) const {
    const int top = row * rowHeight - scroll;
    return RECT{0, top, clientWidth, top + rowHeight};
}

int RowGeometry::MaxScroll(int clientHeight) const { return std::max(rowCount * rowHeight - clientHeight, 0); }

CScrolledList::CScrolledList(std::vector<std::string> rows) : rows_(std::move(rows)) {
    geometry_.rowCount = static_cast<int>(rows_.size());
}

LRESULT CScrolledList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        editor_ = new RowEditor;
        editor_->Create(WS_CHILD | WS_BORDER, RECT{0, 0, 10, 10}, this, kEditorId);
        return 0;
    case WM_SIZE:
        UpdateScrollBar();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT:
        Paint();
        return 0;
    case WM_VSCROLL: {
        const int page = GetClientRect().Height();
        switch (LOWORD(wParam)) {
        case SB_LINEUP: ScrollTo(geometry_.scroll - geometry_.rowHeight); break;
        case SB_LINEDOWN: ScrollTo(geometry_.scroll + geometry_.rowHeight); break;
        case SB_PAGEUP: ScrollTo(geometry_.scroll - page); break;
        case SB_PAGEDOWN: ScrollTo(geometry_.scroll + page); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(geometry_.MaxScroll(page)); break;
        case SB_THUMBTRACK: ScrollTo(HIWORD(wParam)); break;
        default: break;
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        ScrollTo(geometry_.scroll - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3 * geometry_.rowHeight);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus();
        Select(geometry_.RowAt(HIWORD(lParam)));
        return 0;
    case WM_LBUTTONDBLCLK:
        BeginEdit(geometry_.RowAt(HIWORD(lParam)), 0);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN)
            Select(selected_ + (wParam == VK_UP ? -1 : 1));
        else if (wParam == VK_F2)
            BeginEdit(selected_, 0);
        else
            return CWnd::WindowProc(message, wParam, lParam);
        return 0;
    case WM_CHAR:
        if (wParam >= 0x20)
            BeginEdit(selected_, wParam); // typing replaces the row's text
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditorId && HIWORD(wParam) != EN_CHANGE)
            EndEdit(HIWORD(wParam) == 1);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CScrolledList::Paint() {
    CPaintDC paintDc(this);
    CMemDC dc(paintDc.Painter(), paintDc.ClipBox());
    const RECT client = GetClientRect();
    dc.FillSolidRect(client, GetSysColor(COLOR_WINDOW));
    dc.SetBkMode(TRANSPARENT);
    const int first = std::max(geometry_.RowAt(0), 0);
    for (int row = first; row < geometry_.rowCount; ++row) {
        RECT rect = geometry_.RowRect(row, client.right);
        if (rect.top >= client.bottom)
            break;
        const bool selected = row == selected_;
        if (selected)
            dc.FillSolidRect(rect, GetSysColor(COLOR_HIGHLIGHT));
        dc.SetTextColor(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT text = rect;
        text.DeflateRect(4, 0);
        dc.DrawText(rows_[row], text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
}

void CScrolledList::UpdateScrollBar() {
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = geometry_.rowCount * geometry_.rowHeight - 1;
    info.nPage = static_cast<UINT>(GetClientRect().Height());
    info.nPos = geometry_.scroll;
    geometry_.scroll = SetScrollInfo(SB_VERT, info);
}

void CScrolledList::ScrollTo(int position) {
    EndEdit(true);
    geometry_.scroll = std::clamp(position, 0, geometry_.MaxScroll(GetClientRect().Height()));
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = geometry_.scroll;
    SetScrollInfo(SB_VERT, info);
    Invalidate(false);
}

void CScrolledList::Select(int row) {
    if (row < 0 || row >= geometry_.rowCount)
        return;
    selected_ = row;
    // Keep the selected row in view.
    const RECT rect = geometry_.RowRect(row, 0);
    if (rect.top < 0)
        ScrollTo(geometry_.scroll + rect.top);
    else if (rect.bottom > GetClientRect().bottom)
        ScrollTo(geometry_.scroll + rect.bottom - GetClientRect().bottom);
    Invalidate(false);
}

void CScrolledList::BeginEdit(int row, WPARAM firstChar) {
    if (row < 0)
        return;
    Select(row);
    edited_ = row;
    before_ = rows_[row];
    editor_->MoveWindow(geometry_.RowRect(row, GetClientRect().right));
    editor_->SetWindowText(before_);
    editor_->ShowWindow(true);
    editor_->SetFocus();
    if (firstChar) { // the typed character replaces the text
        editor_->SetSel(0, -1);
        editor_->PostMessage(WM_CHAR, firstChar);
    } else { // the caret after the text
        editor_->SetSel(static_cast<int>(before_.size()), -1);
    }
}

void CScrolledList::EndEdit(bool keep) {
    if (edited_ < 0)
        return;
    const int row = edited_;
    edited_ = -1;
    rows_[row] = keep ? editor_->GetWindowText() : before_;
    editor_->ShowWindow(false);
    SetFocus();
    Invalidate(false);
}
