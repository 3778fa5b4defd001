#pragma once
// The grid's cells: an abstract base holding the state word, the ordinary
// cell, the default cell that others fall back to, and the check-box cell.
// Each class has a run-time descriptor so that the grid can make cells of a
// class chosen at run time. Plain C++: drawing goes through CGridCanvas.
#include "controls/grid/grid_canvas.h"
#include "controls/grid/grid_types.h"

#include <memory>
#include <string>

class CGridCellBase;
class CGridModel;
class CGridInPlaceEdit;

// A cell class's name, factory and base class.
struct CGridRuntimeClass {
    const char* name;
    CGridCellBase* (*create)(); // null for an abstract class
    const CGridRuntimeClass* base;
    bool IsDerivedFrom(const CGridRuntimeClass* other) const;
};
#define GRID_RUNTIME_CLASS(name) (&name::runtimeClass)

class CGridCellBase {
public:
    static const CGridRuntimeClass runtimeClass;
    virtual const CGridRuntimeClass* GetRuntimeClass() const { return &runtimeClass; }
    virtual ~CGridCellBase() = default;

    virtual void SetText(const std::string& text) = 0;
    virtual void SetImage(int image) = 0;
    virtual void SetData(LPARAM data) = 0;
    virtual void SetState(UINT state) { state_ = state; }
    virtual void SetFormat(UINT format) = 0;
    virtual void SetTextClr(COLORREF colour) = 0;
    virtual void SetBackClr(COLORREF colour) = 0;
    virtual void SetFont(const LOGFONT* font) = 0;
    virtual void SetMargin(UINT margin) = 0;
    virtual void SetGrid(CGridModel* grid) = 0;
    virtual void SetCoords(int row, int col) = 0;

    virtual std::string GetText() const = 0;
    virtual std::string GetTipText() const { return GetText(); }
    virtual int GetImage() const = 0;
    virtual LPARAM GetData() const = 0;
    virtual UINT GetState() const { return state_; }
    virtual UINT GetFormat() const = 0;
    virtual COLORREF GetTextClr() const = 0;
    virtual COLORREF GetBackClr() const = 0;
    virtual const LOGFONT* GetFont() const = 0;
    virtual CGridModel* GetGrid() const = 0;
    virtual CGridInPlaceEdit* GetEditWnd() const = 0;
    virtual UINT GetMargin() const = 0;
    virtual CGridCellBase* GetDefaultCell() const;
    virtual bool IsDefaultFont() const = 0;
    virtual bool IsEditing() const = 0;

    bool IsFocused() const { return GetState() & GCS_FOCUSED; }
    bool IsFixed() const { return GetState() & GCS_FIXED; }
    bool IsFixedCol() const { return GetState() & GCS_FIXEDCOL; }
    bool IsFixedRow() const { return GetState() & GCS_FIXEDROW; }
    bool IsSelected() const { return GetState() & GCS_SELECTED; }
    bool IsReadOnly() const { return GetState() & GCS_READONLY; }
    bool IsModified() const { return GetState() & GCS_MODIFIED; }
    bool IsDropHighlighted() const { return GetState() & GCS_DROPHILITED; }

    // Copies another cell through its getters (resolved format and margin).
    CGridCellBase& operator=(const CGridCellBase& other);
    virtual void Reset() { state_ = 0; }

    // Draws the cell in rect; the focus frame, selection fill, 3-D header
    // look, margin and text as the grid shows them.
    virtual bool Draw(CGridCanvas* canvas, int row, int col, RECT rect, bool eraseBackground = true);
    virtual bool GetTextRect(RECT* rect) const { return rect != nullptr; }
    virtual bool GetTipTextRect(RECT* rect) const { return GetTextRect(rect); }
    virtual SIZE GetTextExtent(const std::string& text, CGridCanvas* canvas) const;
    virtual SIZE GetCellExtent(CGridCanvas* canvas) const;

    virtual bool Edit(int, int, RECT, POINT, UINT, UINT) { return false; }
    virtual bool ValidateEdit(const std::string&) { return true; }
    virtual void EndEdit() {}
    virtual void OnEndEdit() {}

    virtual void OnMouseEnter() {}
    virtual void OnMouseOver() {}
    virtual void OnMouseLeave() {}
    // Points are relative to the cell's top-left corner.
    virtual void OnClick(POINT) {}
    virtual void OnClickDown(POINT) {}
    virtual void OnRClick(POINT) {}
    virtual void OnDblClick(POINT) {}
    virtual Cursor OnSetCursor() { return Cursor::Arrow; }

protected:
    CGridCellBase() = default;
    CGridCellBase(const CGridCellBase&) = default;

private:
    UINT state_ = 0;
};

class CGridCell : public CGridCellBase {
public:
    static const CGridRuntimeClass runtimeClass;
    const CGridRuntimeClass* GetRuntimeClass() const override { return &runtimeClass; }
    CGridCell() { Reset(); }

    void SetText(const std::string& text) override { text_ = text; }
    void SetImage(int image) override { image_ = image; }
    void SetData(LPARAM data) override { data_ = data; }
    void SetFormat(UINT format) override { format_ = format; }
    void SetTextClr(COLORREF colour) override { textColour_ = colour; }
    void SetBackClr(COLORREF colour) override { backColour_ = colour; }
    void SetFont(const LOGFONT* font) override;
    void SetMargin(UINT margin) override { margin_ = margin; }
    void SetGrid(CGridModel* grid) override { grid_ = grid; }
    void SetCoords(int, int) override {}

    std::string GetText() const override { return text_; }
    int GetImage() const override { return image_; }
    LPARAM GetData() const override { return data_; }
    UINT GetFormat() const override;
    COLORREF GetTextClr() const override { return textColour_; }
    COLORREF GetBackClr() const override { return backColour_; }
    const LOGFONT* GetFont() const override;
    CGridModel* GetGrid() const override { return grid_; }
    CGridInPlaceEdit* GetEditWnd() const override { return editWnd_; }
    UINT GetMargin() const override;
    bool IsDefaultFont() const override { return font_ == nullptr; }
    bool IsEditing() const override { return editing_; }
    void Reset() override;

    bool Edit(int row, int col, RECT rect, POINT point, UINT id, UINT firstChar) override;
    void EndEdit() override;
    void OnEndEdit() override;

protected:
    std::string text_;
    LPARAM data_ = 0;
    int image_ = -1;
    UINT format_ = GRID_DEFAULT;
    COLORREF textColour_ = CLR_DEFAULT;
    COLORREF backColour_ = CLR_DEFAULT;
    std::unique_ptr<LOGFONT> font_;
    UINT margin_ = GRID_DEFAULT;
    bool editing_ = false;
    CGridModel* grid_ = nullptr;
    CGridInPlaceEdit* editWnd_ = nullptr;
};

// The cell that others fall back to: always read-only, with a size that new
// rows and columns take, worked out from its font.
class CGridDefaultCell : public CGridCell {
public:
    static const CGridRuntimeClass runtimeClass;
    const CGridRuntimeClass* GetRuntimeClass() const override { return &runtimeClass; }
    CGridDefaultCell();

    virtual int GetWidth() const { return width_; }
    virtual int GetHeight() const { return height_; }
    virtual void SetWidth(int width) { width_ = width; }
    virtual void SetHeight(int height) { height_ = height; }

    UINT GetState() const override { return CGridCell::GetState() | GCS_READONLY; }
    void SetData(LPARAM) override {}
    void SetState(UINT) override {}
    const LOGFONT* GetFont() const override { return &logFont_; }
    // Stores the font and sizes the cell by it: a space of margin, room for
    // " XXXXXXXXXXXX " across and one and a half text heights down.
    void SetFont(const LOGFONT* font) override;

private:
    int width_ = 30;
    int height_ = 10;
    LOGFONT logFont_;
};

// A cell with a check box at its left edge; a click on the box toggles it.
class CGridCellCheck : public CGridCell {
public:
    static const CGridRuntimeClass runtimeClass;
    const CGridRuntimeClass* GetRuntimeClass() const override { return &runtimeClass; }

    bool SetCheck(bool checked = true);
    bool GetCheck() const { return checked_; }
    // The box in client coordinates, from where the cell was last drawn.
    RECT GetCheckPlacement() const;

    bool Draw(CGridCanvas* canvas, int row, int col, RECT rect, bool eraseBackground = true) override;
    bool GetTextRect(RECT* rect) const override;
    SIZE GetCellExtent(CGridCanvas* canvas) const override;
    void OnClick(POINT point) override;

private:
    bool checked_ = false;
    RECT drawn_{}; // empty until the cell is first drawn
};
