#pragma once
// CLabelStatic: a text label drawn on the band colour with its own font
// settings (face, height, bold, italic, underline, strike-out), word-wrapped,
// left-aligned, centred or right-aligned. CHyperLink: a label that opens its
// target with the desktop when clicked and explains a failure.
#include "platform/ui/wnd.h"

#include <string>

class CLabelStatic : public CWnd {
public:
    explicit CLabelStatic(QWidget* parent = nullptr) : CWnd(parent) {}
    void SetBold(bool on) { bold_ = on; Invalidate(); }
    void SetItalic(bool on) { italic_ = on; Invalidate(); }
    void SetUnderline(bool on) { underline_ = on; Invalidate(); }
    void SetFontName(const std::string& face) { face_ = face; Invalidate(); }
    void SetFontSize(int height) { height_ = height; Invalidate(); }
    void SetTextColor(COLORREF colour) { textColour_ = colour; Invalidate(); }
    void SetCentre(bool on) { centre_ = on; Invalidate(); }
    void SetRight(bool on) { right_ = on; Invalidate(); }
    void SetBkColor(COLORREF colour) { background_ = colour; Invalidate(); }
    // The font the label draws with.
    QFont LabelFont() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool bold_ = false, italic_ = false, underline_ = false, strikeOut_ = false;
    bool centre_ = false, right_ = false;
    std::string face_ = "MS Sans Serif";
    int height_ = 8;
    COLORREF textColour_ = RGB(0, 0, 0);
    COLORREF background_ = RGB(227, 246, 253);
};

class CHyperLink : public CLabelStatic {
public:
    explicit CHyperLink(QWidget* parent = nullptr);
    // The target; an empty window text shows it, an empty target takes the text.
    void SetURL(const std::string& target);
    const std::string& GetURL() const { return target_; }
    void SetLinkCursor(Cursor cursor) { cursor_ = cursor; }
    // Opens the target; false (after the failure's message) when it could not.
    bool GotoURL();
    // The message for a failed open with the system's code.
    static std::string ErrorText(int code);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void AdjustSize();
    std::string target_;
    Cursor cursor_ = Cursor::Arrow;
};
