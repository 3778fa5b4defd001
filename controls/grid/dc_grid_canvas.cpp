#include "controls/grid/dc_grid_canvas.h"


void CDCGridCanvas::Line(POINT from, POINT to, COLORREF colour) {
    dc_->SelectPen(PS_SOLID, 1, colour);
    dc_->MoveTo(from.x, from.y);
    dc_->LineTo(to.x, to.y);
}

QFont CDCGridCanvas::FontOf(const LOGFONT& font) {
    // Fonts by the bytes of their description; few distinct ones exist.
    static std::map<std::string, QFont> fonts;
    const std::string key(reinterpret_cast<const char*>(&font), sizeof font);
    auto found = fonts.find(key);
    if (found == fonts.end())
        found = fonts.emplace(key, CFont(font).Font()).first;
    return found->second;
}

void CDCGridCanvas::DrawText(const std::string& text, const RECT& rect, UINT format, const LOGFONT& font,
                             COLORREF colour) {
    dc_->SaveDC();
    dc_->SelectFont(FontOf(font));
    dc_->SetBkMode(TRANSPARENT);
    dc_->SetTextColor(colour);
    RECT area = rect; // the text is clipped to it
    dc_->DrawText(text, area, format);
    dc_->RestoreDC(-1);
}

void CDCGridCanvas::DrawCheckBox(const RECT& rect, bool checked) {
    dc_->DrawFrameControl(rect, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? UINT(DFCS_CHECKED) : 0u));
}

SIZE CDCGridCanvas::GetTextExtent(const std::string& text, const LOGFONT& font) {
    dc_->SaveDC();
    dc_->SelectFont(FontOf(font));
    const SIZE size = dc_->GetTextExtent(text);
    dc_->RestoreDC(-1);
    return size;
}
