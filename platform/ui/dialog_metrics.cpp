#include "platform/ui/dialog_metrics.h"

#include "platform/ui/dc.h"
#include "platform/ui/system_metrics.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace {

// n * actual / reference, rounded to the nearest pixel; never below n, so
// that a font smaller than the reference leaves the layout as drawn.
int Scaled(int pixels, int actual, int reference) {
    const int factor = std::max(actual, reference);
    return (pixels * factor * 2 + reference) / (reference * 2);
}

} // namespace

DialogMetrics DialogMetrics::Of(const QFont& font) {
    const QFontMetrics metrics(font);
    return DialogMetrics(metrics.averageCharWidth(), metrics.height());
}

QFont DialogMetrics::DialogFont() {
    const LOGFONT font = DialogFontSetting();
    return MakeFont(font.lfHeight, font.lfWeight, font.lfFaceName);
}

DialogMetrics DialogMetrics::OfDialogFont() { return Of(DialogFont()); }

int DialogMetrics::TextWidth(const QFont& font, const std::string& text) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(QString::fromLocal8Bit(text.c_str()))));
}

int DialogMetrics::X(int pixels) const { return Scaled(pixels, charWidth_, kReferenceCharWidth); }
int DialogMetrics::Y(int pixels) const { return Scaled(pixels, lineHeight_, kReferenceLineHeight); }

int DialogMetrics::Width(int pixels, int needed) const {
    return Grown() ? std::max(X(pixels), needed) : X(pixels);
}

int DialogMetrics::Height(int pixels, int needed) const {
    return Grown() ? std::max(Y(pixels), needed) : Y(pixels);
}
