#include "controls/bars/flat_menu_draw.h"

#include "platform/ui/dc.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace {

// Left of the text in a popup item, width of the image column, room kept
// after the accelerator.
constexpr int kTextLeft = 30;
constexpr int kImageColumn = 22;
constexpr int kAcceleratorMargin = 12;

void Fill(QPainter& painter, const RECT& rect, COLORREF colour) { painter.fillRect(ToQRect(rect), ToQColor(colour)); }

void Outline(QPainter& painter, const RECT& rect, COLORREF outline, COLORREF fill) {
    Fill(painter, rect, outline);
    Fill(painter, RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, fill);
}

// The image as a silhouette of one colour: its opaque pixels.
QImage Silhouette(const QImage& image, COLORREF colour) {
    QImage shape = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(shape.rect(), ToQColor(colour));
    return shape;
}

// The check mark of a checked item without image, 7 x 7 from its top left.
void DrawCheckMark(QPainter& painter, int left, int top, COLORREF colour) {
    painter.setPen(ToQColor(colour));
    for (int i = 0; i < 3; ++i) {
        painter.drawLine(left + 1, top + 2 + i, left + 3, top + 4 + i);
        painter.drawLine(left + 3, top + 4 + i, left + 7, top + i);
    }
}

// The mnemonic underline shows unless the menu was opened with the mouse
// and the desktop hides keyboard cues.
int MnemonicFlag(bool noAccelUnderline) {
    BOOL cues = 0;
    SystemParametersInfo(SPI_GETKEYBOARDCUES, 0, &cues);
    return noAccelUnderline && !cues ? Qt::TextHideMnemonic : Qt::TextShowMnemonic;
}

} // namespace

bool DrawFlatMenuItem(QPainter& target, const RECT& rect, const MenuItem& item, const MenuItemDrawState& state,
                      const QImage* image, const QFont& font, RECT* dropped) {
    const FlatMenuColors colors = FlatMenuColorsFrom(GetSysColor);
    // Off screen in item coordinates, copied once.
    const RECT r{0, 0, rect.Width(), rect.Height()};
    QImage picture(r.right, r.bottom, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setFont(font);
    bool isDropped = false;

    const COLORREF barFace = state.barBackground == CLR_NONE ? colors.buttonFace : state.barBackground;
    const RECT withoutStrip{r.left, r.top, r.right - kShadowSize, r.bottom};
    const RECT strip{r.right - kShadowSize, r.top, r.right, r.bottom};
    if (state.menuBarItem && state.selected) {
        Outline(painter, withoutStrip, GetSysColor(COLOR_3DDKSHADOW), colors.imageColumn);
        Fill(painter, strip, barFace);
        // The pressed button casts its shadow on the strip, levels across it.
        for (int level = 0; level < kShadowSize; ++level)
            for (int y = r.top + kShadowSize; y < r.bottom; ++y)
                picture.setPixel(strip.left + level, y, ToQColor(DarkenForShadow(barFace, level)).rgb());
        isDropped = true;
    } else if ((!state.menuBarItem && state.selected) || (state.hotLight && !state.inactive)) {
        const COLORREF fill = item.IsDisabled() ? colors.disabledSelectionFill : colors.selectionFill;
        if (state.menuBarItem) {
            Outline(painter, withoutStrip, colors.selectionOutline, fill);
            Fill(painter, strip, barFace);
        } else {
            Outline(painter, r, colors.selectionOutline, fill);
        }
    } else if (state.menuBarItem) {
        Fill(painter, r, barFace);
    } else {
        Fill(painter, RECT{r.left, r.top, kImageColumn, r.bottom}, colors.imageColumn);
        Fill(painter, RECT{kImageColumn, r.top, r.right, r.bottom}, colors.textArea);
    }

    if (item.IsSeparator()) {
        const int middle = (r.top + r.bottom) / 2;
        Fill(painter, RECT{r.left + kTextLeft, middle, r.right - 1, middle + 1}, colors.separator);
    } else {
        const COLORREF textColour = state.inactive ? colors.inactiveText
                                    : item.IsDisabled() ? colors.separator
                                                        : colors.text;
        painter.setPen(ToQColor(textColour));
        const int mnemonic = MnemonicFlag(state.noAccelUnderline);
        if (state.menuBarItem) {
            painter.drawText(ToQRect(withoutStrip), Qt::AlignCenter | Qt::TextSingleLine | mnemonic,
                             QString::fromStdString(item.Label()));
        } else {
            QFont textFont = font;
            textFont.setBold(item.IsDefault());
            painter.setFont(textFont);
            painter.drawText(ToQRect(RECT{r.left + kTextLeft, r.top, r.right, r.bottom}),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | mnemonic,
                             QString::fromStdString(item.Label()));
            painter.drawText(ToQRect(RECT{r.left, r.top, r.right - kAcceleratorMargin, r.bottom}),
                             Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                             QString::fromStdString(item.Accelerator()));
            if (item.submenu) {
                // The arrow of a cascade, where an accelerator would end.
                const int tip = r.right - kAcceleratorMargin, middle = (r.top + r.bottom) / 2;
                painter.setPen(Qt::NoPen);
                painter.setBrush(ToQColor(textColour));
                const QPoint arrow[] = {QPoint(tip - 4, middle - 4), QPoint(tip, middle), QPoint(tip - 4, middle + 4)};
                painter.drawPolygon(arrow, 3);
            }
            painter.setFont(font);
        }
    }

    if (!state.menuBarItem && !item.IsSeparator()) {
        const COLORREF boxFill = item.IsDisabled() ? colors.disabledSelectionFill
                                 : state.selected  ? colors.checkedSelectedFill
                                                   : colors.selectionFill;
        if (item.IsChecked())
            Outline(painter, RECT{r.left + 1, r.top + 1, r.left + 20, r.bottom - 1}, colors.selectionOutline, boxFill);
        if (image && !image->isNull()) {
            if (item.IsDisabled() || (state.selected && !item.IsChecked())) {
                const bool raised = state.selected && !item.IsDisabled();
                const int offset = raised ? 4 : 3;
                painter.drawImage(r.left + offset, r.top + offset,
                                  Silhouette(*image, raised ? colors.selectedSilhouette : colors.disabledSilhouette));
            }
            if (!item.IsDisabled()) {
                const int offset = state.selected && !item.IsChecked() ? 2 : 3;
                painter.drawImage(r.left + offset, r.top + offset, *image);
            }
        } else if (item.IsChecked()) {
            if (item.IsRadio()) {
                const int cx = r.left + 12, cy = (r.top + r.bottom) / 2;
                const COLORREF dot = item.IsDisabled() ? colors.disabledSilhouette : colors.text;
                painter.setPen(ToQColor(dot));
                painter.setBrush(ToQColor(dot));
                painter.drawEllipse(QRect(QPoint(cx - 4, cy - 3), QPoint(cx + 2, cy + 3)));
                picture.setPixel(cx + 1, cy + 2, ToQColor(boxFill).rgb());
            } else {
                DrawCheckMark(painter, r.left + 5, r.top + 3 + (r.Height() - 14) / 2, colors.text);
            }
        }
    }
    painter.end();
    target.drawImage(rect.left, rect.top, picture);
    if (isDropped && dropped)
        *dropped = RECT{rect.left, rect.top, rect.right - kShadowSize, rect.bottom};
    return isDropped;
}

void DrawMenuFrame(QPainter& painter, const RECT& body, int droppedLeft, int droppedRight) {
    const FlatMenuColors colors = FlatMenuColorsFrom(GetSysColor);
    auto frame = [&](int inset, COLORREF colour) {
        painter.setPen(ToQColor(colour));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(body.left + inset, body.top + inset, body.Width() - 2 * inset - 1,
                               body.Height() - 2 * inset - 1));
    };
    frame(0, colors.frameOuter);
    frame(1, colors.frameInner);
    frame(2, colors.frameInner);
    if (droppedRight > droppedLeft) {
        // The open menu and its pressed button read as one shape.
        painter.setPen(ToQColor(colors.imageColumn));
        painter.drawLine(droppedLeft + 1, body.top, droppedRight - 2, body.top);
    }
}

void DrawMenuShadow(QImage& window, const RECT& body, const QImage& backdrop) {
    const QRgb face = ToQColor(GetSysColor(COLOR_BTNFACE)).rgb();
    for (int y = body.top; y < window.height(); ++y)
        for (int x = body.left; x < window.width(); ++x) {
            const int right = x - body.right, below = y - body.bottom; // >= 0 inside a band
            if (right < 0 && below < 0)
                continue; // the menu itself
            // Level across the band; the corner takes the outer of its two.
            // Each band begins 4 pixels in, on a diagonal, so its end is round.
            const int level = std::max(right, below);
            const bool shaded = (right >= 0 && below >= 0) ||
                                (below >= 0 && x - (body.left + kShadowSize) >= level) ||
                                (right >= 0 && y - (body.top + kShadowSize) >= level);
            const QRgb behind = backdrop.valid(x, y) ? backdrop.pixel(x, y) : face;
            const COLORREF colour = RGB(qRed(behind), qGreen(behind), qBlue(behind));
            window.setPixel(x, y, ToQColor(shaded ? DarkenForShadow(colour, level) : colour).rgb());
        }
}
