#pragma once
// The edit window placed over a grid cell while it is edited. Return and Tab
// commit, Escape restores the text, arrows commit when the edit was started
// by typing; the text and the key that ended the edit go to the grid in a
// GRID_DISPINFO (LVN_ENDLABELEDIT), and the window closes itself.
#include "platform/ui/std_controls.h"

#include <string>

class CGridInPlaceEdit : public CEdit {
public:
    CGridInPlaceEdit(CWnd* parent, const RECT& rect, UINT style, UINT id, int row, int col,
                     const std::string& initialText, UINT firstChar);
    // Reports the text to the grid and closes the edit (once).
    void EndEdit();
    int Row() const { return row_; }
    int Col() const { return col_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void GrowToFitText();
    int row_, col_;
    std::string initialText_;
    UINT lastKey_ = 0;
    bool exitOnArrows_;
    RECT rect_;
};
