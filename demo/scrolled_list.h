#pragma once
// A list of rows in a bordered window with a vertical scroll bar, whose rows
// are edited in place: the window layer's scroll bars, wheel, keys, focus
// and in-place editing in one small window for a person to try.
//
// Double-click a row or press F2 to edit it with the caret after its text,
// or start typing to replace it; Return or a click elsewhere keeps the
// text, Escape puts the old text back.
#include "platform/ui/std_controls.h"

#include <string>
#include <vector>

// The rows' geometry: which row lies at a client y, and where a row lies.
struct RowGeometry {
    int rowHeight = 20;
    int rowCount = 0;
    int scroll = 0; // pixels scrolled out at the top

    int RowAt(int y) const;
    RECT RowRect(int row, int clientWidth) const;
    int MaxScroll(int clientHeight) const;
};

class CScrolledList : public CWnd {
public:
    explicit CScrolledList(std::vector<std::string> rows);
    const std::vector<std::string>& Rows() const { return rows_; }
    int Selected() const { return selected_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void ScrollTo(int position);
    void Select(int row);
    void BeginEdit(int row, WPARAM firstChar);
    void EndEdit(bool keep);
    void UpdateScrollBar();

    std::vector<std::string> rows_;
    RowGeometry geometry_;
    int selected_ = 0;
    CEdit* editor_ = nullptr;
    int edited_ = -1;
    std::string before_;
};
