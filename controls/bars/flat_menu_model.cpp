#include "controls/bars/flat_menu_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

struct Hls {
    double h, l, s; // each 0..255
};

Hls ToHls(COLORREF colour) {
    const double r = GetRValue(colour) / 255.0, g = GetGValue(colour) / 255.0, b = GetBValue(colour) / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    const double l = (high + low) / 2;
    double h = 0, s = 0;
    if (high != low) {
        const double d = high - low;
        s = l <= 0.5 ? d / (high + low) : d / (2 - high - low);
        if (high == r)
            h = (g - b) / d + (g < b ? 6 : 0);
        else if (high == g)
            h = (b - r) / d + 2;
        else
            h = (r - g) / d + 4;
        h /= 6;
    }
    return {h * 255, l * 255, s * 255};
}

double HueToChannel(double p, double q, double t) {
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

COLORREF FromHls(const Hls& hls) {
    const double h = hls.h / 255, l = hls.l / 255, s = hls.s / 255;
    if (s == 0) {
        const int grey = static_cast<int>(std::lround(hls.l));
        return RGB(grey, grey, grey);
    }
    const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const double p = 2 * l - q;
    auto channel = [&](double t) { return static_cast<int>(std::lround(HueToChannel(p, q, t) * 255)); };
    return RGB(channel(h + 1.0 / 3), channel(h), channel(h - 1.0 / 3));
}

// v moved by p percent in whole steps: towards 255 when positive, scaled
// down when negative; 0 leaves it exactly as it is.
double Move(double v, int percent) {
    const int value = static_cast<int>(std::lround(v));
    if (percent > 0)
        return value + (255 - value) * percent / 100;
    if (percent < 0)
        return value * (100 + percent) / 100;
    return v;
}

} // namespace

std::string MenuItem::Label() const { return text.substr(0, text.find('\t')); }

std::string MenuItem::Accelerator() const {
    const size_t tab = text.find('\t');
    return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

std::string WithoutMnemonicMark(const std::string& label) {
    std::string shown = label;
    const size_t mark = shown.find('&');
    if (mark != std::string::npos)
        shown.erase(mark, 1);
    return shown;
}

COLORREF AdjustColor(COLORREF colour, int lightnessPercent, int saturationPercent) {
    Hls hls = ToHls(colour);
    hls.l = Move(hls.l, lightnessPercent);
    hls.s = Move(hls.s, saturationPercent);
    return FromHls(hls);
}

FlatMenuColors FlatMenuColorsFrom(const std::function<COLORREF(int)>& sysColor) {
    const COLORREF face = sysColor(COLOR_BTNFACE);
    const COLORREF highlight = sysColor(COLOR_HIGHLIGHT);
    FlatMenuColors colors{};
    colors.imageColumn = AdjustColor(face, 20, 0);
    colors.textArea = AdjustColor(face, 75, 0);
    colors.selectionFill = AdjustColor(highlight, 70, -57);
    colors.disabledSelectionFill = AdjustColor(face, 73, 0);
    colors.selectionOutline = highlight;
    colors.checkedSelectedFill = AdjustColor(highlight, 50, -50);
    colors.separator = AdjustColor(face, -18, 0);
    colors.frameOuter = sysColor(COLOR_3DDKSHADOW);
    colors.frameInner = colors.textArea;
    colors.text = sysColor(COLOR_MENUTEXT);
    colors.inactiveText = sysColor(COLOR_BTNSHADOW);
    colors.selectedSilhouette = AdjustColor(highlight, 50, -66);
    colors.disabledSilhouette = AdjustColor(face, -27, 0);
    colors.buttonFace = face;
    return colors;
}

FlatMenuMetrics MenuMetricsForTextHeight(int textHeight) {
    return {textHeight + 2 > 16 ? textHeight + 6 : 20, textHeight / 2 + 2};
}

uint32_t PopupItemData(int height, int acceleratorWidth, int textWidth) {
    return (static_cast<uint32_t>(height) & 0xFF) | ((static_cast<uint32_t>(acceleratorWidth) & 0xFF) << 8) |
           ((static_cast<uint32_t>(textWidth) & 0xFFFF) << 16);
}

uint32_t MenuBarItemData(int textWidth) { return (static_cast<uint32_t>(textWidth) & 0xFFFF) << 16; }

SIZE MeasureMenuItem(uint32_t itemData) {
    const int height = static_cast<int>(itemData & 0xFF);
    const int accelerator = static_cast<int>((itemData >> 8) & 0xFF);
    const int text = static_cast<int>(itemData >> 16);
    if (height != 0)
        return {text + accelerator + 42, height};
    return {text + 4, 0};
}

void UpdateMenu(Menu& menu, const FlatMenuMetrics& metrics, const MeasureText& measure, bool isMenuBar) {
    for (MenuItem& item : menu.items) {
        item.type |= MFT_OWNERDRAW;
        if (isMenuBar)
            item.itemData = MenuBarItemData(measure(WithoutMnemonicMark(item.Label()), false));
    }
    if (isMenuBar)
        return;
    int widestText = 0;
    int widestAccelerator = 0;
    for (const MenuItem& item : menu.items) {
        if (item.IsSeparator())
            continue;
        widestText = std::max(widestText, measure(WithoutMnemonicMark(item.Label()), item.IsDefault()));
        widestAccelerator = std::max(widestAccelerator, measure(item.Accelerator(), item.IsDefault()));
    }
    for (MenuItem& item : menu.items)
        item.itemData = item.IsSeparator() ? static_cast<uint32_t>(metrics.separatorHeight)
                                           : PopupItemData(metrics.itemHeight, widestAccelerator, widestText);
}

LRESULT HandleMenuChar(const Menu& menu, UINT character, UINT flags) {
    if (flags != 0 && (!(flags & MF_POPUP) || (flags & MF_SYSMENU)))
        return 0;
    const char wanted = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    for (size_t i = 0; i < menu.items.size(); ++i) {
        std::string label = menu.items[i].Label();
        for (char& c : label)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (size_t at = label.size(); at-- > 1;) {
            if (label[at] == wanted && label[at - 1] == '&' && (at < 2 || label[at - 2] != '&'))
                return static_cast<LRESULT>(i) | (static_cast<LRESULT>(MNC_EXECUTE) << 16);
        }
    }
    return 0;
}

COLORREF DarkenForShadow(COLORREF behind, int level) {
    const int keep = 93 - 5 * level;
    return RGB(GetRValue(behind) * keep / 100, GetGValue(behind) * keep / 100, GetBValue(behind) * keep / 100);
}
