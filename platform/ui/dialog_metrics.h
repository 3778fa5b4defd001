#pragma once
// DialogMetrics: the pixel sizes of a layout drawn for the reference dialog
// font (8 points at 96 dpi: a 13-pixel line, characters 6 pixels wide on
// average), grown with the font the controls draw with, the way dialog units
// grow with a dialog's font. With the reference font (or a smaller one) the
// layout's numbers come out unchanged; with a larger font every size grows
// in proportion, and a box that must hold a text is at least as large as it.
#include <QFont>
#include <string>

class DialogMetrics {
public:
    static constexpr int kReferenceCharWidth = 6;
    static constexpr int kReferenceLineHeight = 13;

    DialogMetrics() = default; // the reference font's
    DialogMetrics(int charWidth, int lineHeight) : charWidth_(charWidth), lineHeight_(lineHeight) {}
    // Of a font: its average character width and its line height.
    static DialogMetrics Of(const QFont& font);
    // Of the dialog font the system settings name.
    static DialogMetrics OfDialogFont();
    // The dialog font itself, for the controls of a layout sized by it.
    static QFont DialogFont();

    // A horizontal and a vertical size of the layout, grown with the font.
    int X(int pixels) const;
    int Y(int pixels) const;
    // A box laid out `pixels` wide (high) that must hold `needed` pixels of
    // text: at the reference font the layout's size stands as drawn, with a
    // larger font the grown size or the text's, whichever is larger.
    int Width(int pixels, int needed) const;
    int Height(int pixels, int needed) const;
    // The width a text takes in a font, to the next whole pixel (a text
    // given its width less the fraction would be cut short).
    static int TextWidth(const QFont& font, const std::string& text);
    // Whether the font is larger than the reference in either direction.
    bool Grown() const { return charWidth_ > kReferenceCharWidth || lineHeight_ > kReferenceLineHeight; }

    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return lineHeight_; }

private:
    int charWidth_ = kReferenceCharWidth;
    int lineHeight_ = kReferenceLineHeight;
};
