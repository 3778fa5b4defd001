#include "platform/ui/system_metrics.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QStyle>
#include <QStyleHints>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

std::optional<SystemSettings> pinned;

LOGFONT FromQFont(const QFont& font) {
    LOGFONT lf;
    // The size as drawn, at the screen's resolution (a 9-point font is 12
    // pixels at 96 dpi, 18 at 144).
    lf.lfHeight = -QFontInfo(font).pixelSize();
    lf.lfWeight = font.weight() >= QFont::Bold ? 700 : font.weight() >= QFont::DemiBold ? 600 : 400;
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    std::strncpy(lf.lfFaceName, font.family().toLocal8Bit().constData(), sizeof lf.lfFaceName - 1);
    return lf;
}

// What the desktop says, through Qt.
SystemSettings FromDesktop() {
    SystemSettings settings = ClassicSystemSettings();
    if (!qApp)
        return settings;
    const int extent = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    settings.scrollBarWidth = settings.scrollBarHeight = extent;
    const QStyleHints* hints = QGuiApplication::styleHints();
    settings.wheelScrollLines = hints->wheelScrollLines();
    settings.doubleClickTime = static_cast<UINT>(hints->mouseDoubleClickInterval());
    settings.doubleClickArea = std::max(1, hints->mouseDoubleClickDistance());
    // Qt gives the repeat rate in repeats a second; the setting's 0..31 spans 2.5..30.
    const double rate = hints->keyboardAutoRepeatRate();
    settings.keyboardSpeed = std::clamp(static_cast<int>(std::lround((rate - 2.5) * 31 / 27.5)), 0, 31);
    settings.keyboardCues = QApplication::style()->styleHint(QStyle::SH_UnderlineShortcut) ? 1 : 0;
    settings.messageFont = FromQFont(QApplication::font());
    settings.menuFont = FromQFont(QApplication::font("QMenu"));
    settings.dialogFont = settings.messageFont;
    return settings;
}

SystemSettings Current() { return pinned ? *pinned : FromDesktop(); }

} // namespace

SystemSettings ClassicSystemSettings() {
    SystemSettings settings;
    LOGFONT font;
    font.lfHeight = -14;
    std::strcpy(font.lfFaceName, "DejaVu Sans");
    settings.menuFont = settings.messageFont = font;
    font.lfHeight = -11;
    settings.dialogFont = font;
    return settings;
}

void PinSystemSettings(const SystemSettings& settings) { pinned = settings; }
void UnpinSystemSettings() { pinned.reset(); }

int GetSystemMetrics(int index) {
    const SystemSettings settings = Current();
    switch (index) {
    case SM_CXVSCROLL:
    case SM_CXHSCROLL: return settings.scrollBarWidth;
    case SM_CYHSCROLL:
    case SM_CYVSCROLL: return settings.scrollBarHeight;
    case SM_CXBORDER:
    case SM_CYBORDER: return settings.border;
    case SM_CXEDGE:
    case SM_CYEDGE: return settings.edge;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return settings.doubleClickArea;
    default: return 0;
    }
}

BOOL SystemParametersInfo(UINT action, UINT, void* out, UINT) {
    if (!out)
        return 0;
    const SystemSettings settings = Current();
    switch (action) {
    case SPI_GETWHEELSCROLLLINES: *static_cast<int*>(out) = settings.wheelScrollLines; return 1;
    case SPI_GETKEYBOARDDELAY: *static_cast<int*>(out) = settings.keyboardDelay; return 1;
    case SPI_GETKEYBOARDSPEED: *static_cast<int*>(out) = settings.keyboardSpeed; return 1;
    case SPI_GETKEYBOARDCUES: *static_cast<BOOL*>(out) = settings.keyboardCues; return 1;
    case SPI_GETNONCLIENTMETRICS: {
        auto* metrics = static_cast<NONCLIENTMETRICS*>(out);
        metrics->iScrollWidth = settings.scrollBarWidth;
        metrics->iScrollHeight = settings.scrollBarHeight;
        metrics->lfMenuFont = settings.menuFont;
        metrics->lfStatusFont = settings.messageFont;
        metrics->lfMessageFont = settings.messageFont;
        return 1;
    }
    default: return 0;
    }
}

UINT GetDoubleClickTime() { return Current().doubleClickTime; }

LOGFONT DialogFontSetting() { return Current().dialogFont; }
