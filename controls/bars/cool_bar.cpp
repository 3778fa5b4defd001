#include "controls/bars/cool_bar.h"

#include "controls/bars/tool_bar.h"
#include "controls/bars/toolbar_layout.h"
#include "platform/ui/dc.h"

#include <algorithm>

bool CCoolBar::Create(QWidget* parent, uint32_t style, uint32_t barStyle, UINT id) {
    barStyle_ = barStyle | (id == AFX_IDW_TOOLBAR ? uint32_t{CBRS_HIDE_INPLACE} : 0u);
    if (parent)
        setParent(parent);
    return CWnd::Create(style, RECT{}, nullptr, id) != 0;
}

bool CCoolBar::InsertBand(CWnd* child, int minWidth, int minHeight, int width, UINT id, int index, bool lineBreak) {
    if (!child)
        return false;
    const Band band{child, minWidth, minHeight, width, id, lineBreak};
    if (index < 0 || index >= BandCount())
        bands_.push_back(band);
    else
        bands_.insert(bands_.begin() + index, band);
    LayOutBands();
    return true;
}

SIZE CCoolBar::CalcFixedLayout(bool stretch, bool horizontal) const {
    return CoolBarFixedLayout(SIZE{width(), height_}, stretch, horizontal);
}

QSize CCoolBar::sizeHint() const { return QSize(0, height_); }

int CCoolBar::LayOutBands() {
    const int barWidth = width();
    int x = 0, y = 0, rowHeight = 0;
    for (size_t i = 0; i < bands_.size(); ++i) {
        const Band& band = bands_[i];
        if (band.lineBreak && i > 0) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        const bool lastInRow = i + 1 == bands_.size() || bands_[i + 1].lineBreak;
        // The last band of a row takes the rest of it; the others their width.
        int bandWidth = band.width < 0 ? band.minWidth : std::max(band.minWidth, band.width);
        if (lastInRow)
            bandWidth = std::max(band.minWidth, barWidth - x);
        band.child->MoveWindow(RECT{x, y, x + bandWidth, y + band.minHeight});
        x += bandWidth;
        rowHeight = std::max(rowHeight, band.minHeight);
    }
    const int height = y + rowHeight;
    if (height != height_) {
        // The window lays its bars out again around the new height.
        height_ = height;
        ++heightChanges_;
        updateGeometry();
    }
    return height;
}

LRESULT CCoolBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreateBands() ? 0 : -1;
    case WM_SIZE:
        LayOutBands();
        return 0;
    case WM_ERASEBKGND:
        reinterpret_cast<CDC*>(wParam)->FillSolidRect(GetClientRect(), kBandColor);
        return 1;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
