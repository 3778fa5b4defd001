#pragma once
// What drawing a grid cell needs from a drawing surface, in plain C++: the
// window implements it over its drawing context, tests can record it.
#include "platform/ui/win_types.h"

#include <string>

class CGridCanvas {
public:
    virtual ~CGridCanvas() = default;
    virtual void FillRect(const RECT& rect, COLORREF colour) = 0;
    // A one-pixel frame just inside rect.
    virtual void FrameRect(const RECT& rect, COLORREF colour) = 0;
    // DrawEdge's BDR_ borders on every side of rect.
    virtual void DrawEdge(const RECT& rect, UINT edge) = 0;
    // A one-pixel line without its end point.
    virtual void Line(POINT from, POINT to, COLORREF colour) = 0;
    // Text in rect with DT_ flags, transparent background.
    virtual void DrawText(const std::string& text, const RECT& rect, UINT format, const LOGFONT& font,
                          COLORREF colour) = 0;
    virtual void DrawCheckBox(const RECT& rect, bool checked) = 0;
    virtual SIZE GetTextExtent(const std::string& text, const LOGFONT& font) = 0;
};
