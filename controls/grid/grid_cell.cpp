#include "controls/grid/grid_cell.h"

#include "controls/grid/grid_model.h"

#include <algorithm>

namespace {

template <typename Cell>
CGridCellBase* Make() {
    return new Cell;
}

// The text colour of a cell that shows as focused and selected.
constexpr int kHighlight = 13, kHighlightText = 14, kBtnHighlight = 20, kDarkShadow = 21;

} // namespace

bool CGridRuntimeClass::IsDerivedFrom(const CGridRuntimeClass* other) const {
    for (const CGridRuntimeClass* c = this; c; c = c->base)
        if (c == other)
            return true;
    return false;
}

const CGridRuntimeClass CGridCellBase::runtimeClass{"CGridCellBase", nullptr, nullptr};
const CGridRuntimeClass CGridCell::runtimeClass{"CGridCell", &Make<CGridCell>, &CGridCellBase::runtimeClass};
const CGridRuntimeClass CGridDefaultCell::runtimeClass{"CGridDefaultCell", &Make<CGridDefaultCell>,
                                                       &CGridCell::runtimeClass};
const CGridRuntimeClass CGridCellCheck::runtimeClass{"CGridCellCheck", &Make<CGridCellCheck>,
                                                     &CGridCell::runtimeClass};

// ---- CGridCellBase

CGridCellBase* CGridCellBase::GetDefaultCell() const {
    CGridModel* grid = GetGrid();
    return grid ? grid->GetDefaultCell(IsFixedRow(), IsFixedCol()) : nullptr;
}

CGridCellBase& CGridCellBase::operator=(const CGridCellBase& other) {
    if (this == &other)
        return *this;
    SetGrid(other.GetGrid());
    SetText(other.GetText());
    SetImage(other.GetImage());
    SetData(other.GetData());
    SetState(other.GetState());
    SetFormat(other.GetFormat());
    SetTextClr(other.GetTextClr());
    SetBackClr(other.GetBackClr());
    SetFont(other.IsDefaultFont() ? nullptr : other.GetFont());
    SetMargin(other.GetMargin());
    return *this;
}

bool CGridCellBase::Draw(CGridCanvas* canvas, int row, int col, RECT rect, bool erase) {
    CGridModel* grid = GetGrid();
    if (!grid || !canvas || rect.Width() <= 0 || rect.Height() <= 0)
        return false;
    const CGridCellBase* defaults = GetDefaultCell();
    if (!defaults)
        return false;
    COLORREF text = GetTextClr() == CLR_DEFAULT ? defaults->GetTextClr() : GetTextClr();
    COLORREF back = GetBackClr() == CLR_DEFAULT ? defaults->GetBackClr() : GetBackClr();
    if (GetBackClr() != CLR_DEFAULT)
        erase = true;
    const bool gridLines = grid->GetGridLines() != GRID_LINES_NONE;
    const COLORREF highlight = grid->SysColor(kHighlight), highlightText = grid->SysColor(kHighlightText);

    if (IsFocused() || IsDropHighlighted()) {
        if (IsSelected()) {
            back = highlight;
            text = highlightText;
            erase = true;
        }
        rect.right++, rect.bottom++; // over the grid lines
        if (erase)
            canvas->FillRect(rect, back);
        if (gridLines)
            rect.right--, rect.bottom--;
        canvas->FrameRect(rect, text);
        if (!gridLines)
            rect.right--, rect.bottom--;
    } else if (IsSelected()) {
        canvas->FillRect(RECT{rect.left, rect.top, rect.right + 1, rect.bottom + 1}, highlight);
        text = highlightText;
    } else if (erase) {
        canvas->FillRect(RECT{rect.left, rect.top, rect.right + 1, rect.bottom + 1}, back);
    }

    if (IsFixed() && gridLines) {
        const CGridCellRef focus = grid->GetFocusCell();
        if (grid->IsValid(focus) && (focus.row == row || focus.col == col)) {
            rect.right++, rect.bottom++;
            canvas->DrawEdge(rect, 0x8 /* BDR_SUNKENINNER */);
        } else {
            canvas->Line(POINT{rect.right, rect.top}, POINT{rect.left, rect.top}, grid->SysColor(kBtnHighlight));
            canvas->Line(POINT{rect.left, rect.top}, POINT{rect.left, rect.bottom}, grid->SysColor(kBtnHighlight));
            canvas->Line(POINT{rect.right, rect.top}, POINT{rect.right, rect.bottom}, grid->SysColor(kDarkShadow));
            canvas->Line(POINT{rect.right, rect.bottom}, POINT{rect.left, rect.bottom}, grid->SysColor(kDarkShadow));
        }
        rect.DeflateRect(1, 1);
    }

    const int margin = static_cast<int>(GetMargin());
    rect.DeflateRect(margin, margin);
    rect.right++, rect.bottom++;
    GetTextRect(&rect);
    rect.right++, rect.bottom++;
    canvas->DrawText(GetText(), rect, GetFormat() | DT_NOPREFIX, *GetFont(), text);
    return true;
}

SIZE CGridCellBase::GetTextExtent(const std::string& text, CGridCanvas* canvas) const {
    const CGridCellBase* defaults = GetDefaultCell();
    const auto* defaultCell = dynamic_cast<const CGridDefaultCell*>(defaults);
    if (text.empty() || !canvas) {
        if (defaultCell)
            return SIZE{defaultCell->GetWidth(), defaultCell->GetHeight()};
        return SIZE{0, 0};
    }
    SIZE size = canvas->GetTextExtent(text, *GetFont());
    const int margin = static_cast<int>(GetMargin());
    size.cx += 2 * margin;
    size.cy += 2 * margin;
    return size;
}

SIZE CGridCellBase::GetCellExtent(CGridCanvas* canvas) const {
    SIZE size = GetTextExtent(GetText(), canvas);
    const int extra = IsFixed() ? 2 : 1;
    return SIZE{size.cx + extra, size.cy + extra};
}

// ---- CGridCell

void CGridCell::Reset() {
    CGridCellBase::Reset();
    text_.clear();
    image_ = -1;
    format_ = GRID_DEFAULT;
    margin_ = GRID_DEFAULT;
    data_ = 0;
    textColour_ = backColour_ = CLR_DEFAULT;
    font_.reset();
    editing_ = false;
    grid_ = nullptr;
    editWnd_ = nullptr;
}

void CGridCell::SetFont(const LOGFONT* font) {
    if (!font) {
        font_.reset();
        return;
    }
    if (!font_)
        font_ = std::make_unique<LOGFONT>();
    *font_ = *font;
}

UINT CGridCell::GetFormat() const {
    if (format_ != GRID_DEFAULT)
        return format_;
    const CGridCellBase* defaults = GetDefaultCell();
    return defaults ? defaults->GetFormat() : 0;
}

UINT CGridCell::GetMargin() const {
    if (margin_ != GRID_DEFAULT)
        return margin_;
    const CGridCellBase* defaults = GetDefaultCell();
    return defaults ? defaults->GetMargin() : 0;
}

const LOGFONT* CGridCell::GetFont() const {
    if (font_)
        return font_.get();
    const CGridCellBase* defaults = GetDefaultCell();
    static const LOGFONT none;
    return defaults ? defaults->GetFont() : &none;
}

bool CGridCell::Edit(int row, int col, RECT rect, POINT, UINT id, UINT firstChar) {
    if (editing_) {
        if (editWnd_ && grid_)
            grid_->ForwardCharToEdit(editWnd_, firstChar);
        return true;
    }
    const UINT format = GetFormat();
    const UINT style = (format & DT_RIGHT) ? 2 : (format & DT_CENTER) ? 1 : 0;
    editing_ = true;
    if (grid_)
        editWnd_ = grid_->CreateInPlaceEdit(rect, style, id, row, col, GetText(), firstChar);
    return true;
}

void CGridCell::EndEdit() {
    if (editWnd_ && grid_)
        grid_->EndInPlaceEdit(editWnd_);
}

void CGridCell::OnEndEdit() {
    editing_ = false;
    editWnd_ = nullptr;
}

// ---- CGridDefaultCell

CGridDefaultCell::CGridDefaultCell() {
    format_ = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    SetFont(&logFont_);
}

void CGridDefaultCell::SetFont(const LOGFONT* font) {
    if (!font)
        return;
    logFont_ = *font;
    const SIZE space = grid_ ? grid_->MeasureText(" ", logFont_) : SIZE{-1, -1};
    if (space.cx < 0) {
        // Nothing to measure with.
        margin_ = 3;
        width_ = 40;
        height_ = 16;
        return;
    }
    const SIZE sample = grid_->MeasureText(" XXXXXXXXXXXX ", logFont_);
    margin_ = static_cast<UINT>(space.cx);
    width_ = sample.cx;
    height_ = sample.cy * 3 / 2;
}

// ---- CGridCellCheck

bool CGridCellCheck::SetCheck(bool checked) {
    const bool previous = checked_;
    checked_ = checked;
    if (!drawn_.IsRectEmpty() && grid_)
        grid_->InvalidateClientRect(drawn_);
    return previous;
}

RECT CGridCellCheck::GetCheckPlacement() const {
    const int size = grid_ ? grid_->CheckBoxSize() : 16;
    const int margin = static_cast<int>(GetMargin());
    RECT box{drawn_.left + margin, drawn_.top + margin, drawn_.left + margin + size, drawn_.top + margin + size};
    if (drawn_.Height() < size + 2 * margin) {
        box.top = drawn_.top + (drawn_.Height() - size) / 2;
        box.bottom = box.top + size;
    }
    return box;
}

bool CGridCellCheck::Draw(CGridCanvas* canvas, int row, int col, RECT rect, bool erase) {
    drawn_ = rect;
    const bool drawn = CGridCell::Draw(canvas, row, col, rect, erase);
    if (drawn)
        canvas->DrawCheckBox(GetCheckPlacement(), checked_);
    return drawn;
}

bool CGridCellCheck::GetTextRect(RECT* rect) const {
    if (!rect)
        return false;
    const int size = grid_ ? grid_->CheckBoxSize() : 16;
    rect->left = std::min(rect->left + 2 * static_cast<int>(GetMargin()) + size, rect->right);
    return true;
}

SIZE CGridCellCheck::GetCellExtent(CGridCanvas* canvas) const {
    SIZE size = CGridCell::GetCellExtent(canvas);
    const int box = (grid_ ? grid_->CheckBoxSize() : 16) + 2 * static_cast<int>(GetMargin());
    return SIZE{size.cx + box, std::max(size.cy, box)};
}

void CGridCellCheck::OnClick(POINT point) {
    const POINT at{point.x + drawn_.left, point.y + drawn_.top};
    if (GetCheckPlacement().PtInRect(at)) {
        checked_ = !checked_;
        if (grid_)
            grid_->InvalidateClientRect(drawn_);
    }
}
