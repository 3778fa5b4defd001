#include "controls/grid/grid_inplace_edit.h"

#include "controls/grid/grid_types.h"
#include "platform/ui/input_state.h"

#include <QFontMetrics>
#include <QLineEdit>

CGridInPlaceEdit::CGridInPlaceEdit(CWnd* parent, const RECT& rect, UINT style, UINT id, int row, int col,
                                   const std::string& initialText, UINT firstChar)
    : row_(row), col_(col), initialText_(initialText), exitOnArrows_(firstChar != VK_LBUTTON), rect_(rect) {
    if (!Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rect, parent, id))
        return;
    SetFont(parent->GetFont());
    SetWindowText(initialText);
    SetFocus();
    const int length = static_cast<int>(initialText.size());
    switch (firstChar) {
    case VK_LBUTTON:
    case VK_RETURN:
        SetSel(length, -1);
        SendMessage(EM_SCROLLCARET);
        return;
    case VK_BACK:
        SetSel(length, -1);
        SendMessage(EM_SCROLLCARET);
        PostMessage(WM_CHAR, firstChar);
        return;
    case VK_TAB: case VK_SPACE: case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        SetSel(0, -1);
        SendMessage(EM_SCROLLCARET);
        return;
    default:
        SetSel(0, -1);
        SendMessage(EM_SCROLLCARET);
        PostMessage(WM_CHAR, firstChar); // replaces the text
        return;
    }
}

LRESULT CGridInPlaceEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        if ((wParam >= VK_PRIOR && wParam <= VK_DOWN && wParam != VK_END && wParam != VK_HOME) &&
            (exitOnArrows_ || GetKeyState(VK_CONTROL) < 0)) {
            lastKey_ = static_cast<UINT>(wParam);
            GetParent()->SetFocus();
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == VK_TAB || wParam == VK_RETURN) {
            lastKey_ = static_cast<UINT>(wParam);
            GetParent()->SetFocus();
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            SetWindowText(initialText_);
            lastKey_ = static_cast<UINT>(wParam);
            GetParent()->SetFocus();
            return 0;
        }
        {
            const LRESULT result = CEdit::WindowProc(message, wParam, lParam);
            GrowToFitText();
            return result;
        }
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_SYSCHAR:
        return 0;
    case WM_KILLFOCUS: {
        const LRESULT result = CEdit::WindowProc(message, wParam, lParam);
        EndEdit();
        return result;
    }
    case WM_NCDESTROY: {
        const LRESULT result = CEdit::WindowProc(message, wParam, lParam);
        deleteLater(); // the edit lives as long as its window
        return result;
    }
    }
    return CEdit::WindowProc(message, wParam, lParam);
}

void CGridInPlaceEdit::GrowToFitText() {
    // Only wider, and only to the right, up to the edge of the grid.
    const int width = QFontMetrics(LineEdit()->font()).horizontalAdvance(LineEdit()->text() + "  ");
    if (width <= rect_.Width())
        return;
    const int parentRight = GetParent()->GetClientRect().right;
    rect_.right = std::min(rect_.left + width, parentRight);
    MoveWindow(rect_);
}

void CGridInPlaceEdit::EndEdit() {
    static bool ending = false; // a nested end (focus lost while reporting) returns at once
    if (ending || !IsWindow())
        return;
    ending = true;
    GRID_DISPINFO info;
    info.item.mask = GCIF_TEXT | GCIF_PARAM;
    info.item.row = row_;
    info.item.col = col_;
    info.item.strText = GetWindowText();
    info.item.lParam = static_cast<LPARAM>(lastKey_);
    info.hdr.code = LVN_ENDLABELEDIT;
    NotifyOwner(info.hdr);
    if (IsWindow())
        SendMessage(WM_CLOSE);
    ending = false;
}
