#pragma once
// The grid's drawing surface over a window drawing context: fonts made from
// the cells' LOGFONTs (kept while the canvas lives), check boxes drawn by
// the style.
#include "controls/grid/grid_canvas.h"
#include "platform/ui/dc.h"

#include <map>
#include <string>

class CDCGridCanvas : public CGridCanvas {
public:
    explicit CDCGridCanvas(CDC* dc) : dc_(dc) {}
    void FillRect(const RECT& rect, COLORREF colour) override { dc_->FillSolidRect(rect, colour); }
    void FrameRect(const RECT& rect, COLORREF colour) override { dc_->FrameRect(rect, colour); }
    void DrawEdge(const RECT& rect, UINT edge) override { dc_->DrawEdge(rect, edge); }
    void Line(POINT from, POINT to, COLORREF colour) override;
    void DrawText(const std::string& text, const RECT& rect, UINT format, const LOGFONT& font,
                  COLORREF colour) override;
    void DrawCheckBox(const RECT& rect, bool checked) override;
    SIZE GetTextExtent(const std::string& text, const LOGFONT& font) override;

    // The font of a LOGFONT, made once.
    static QFont FontOf(const LOGFONT& font);

private:
    CDC* dc_;
};
