#pragma once
// A drawing context over QPainter with the operations window code names:
// solid fills and frames, pens and lines, 3-D edges, frame controls (check
// boxes, scroll arrows) drawn by the style, inversions, text with DrawText
// flags and its extent, clipping, background mode, text colour, fonts and a
// stack of saved states. CMemDC draws off-screen over a clip box and copies
// the result to its target in one operation; CClientDC measures in a
// window's font outside painting.
#include "platform/ui/win_types.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <string>
#include <vector>

class CWnd;

// A font by height in pixels and weight (400 normal, 700 bold): a negative
// height is the character height, a positive one the cell height (the
// character height plus internal leading), 0 the application font's size.
QFont MakeFont(int height, int weight = 400, const char* face = nullptr);

// A font object made from a LOGFONT, as window messages pass fonts around
// (WM_SETFONT, WM_GETFONT).
class CFont {
public:
    CFont() = default;
    explicit CFont(const LOGFONT& logFont) { CreateFontIndirect(logFont); }
    void CreateFontIndirect(const LOGFONT& logFont);
    const LOGFONT& GetLogFont() const { return logFont_; }
    const QFont& Font() const { return font_; }

private:
    LOGFONT logFont_;
    QFont font_;
};

QColor ToQColor(COLORREF colour);
QRect ToQRect(const RECT& rect);
RECT FromQRect(const QRect& rect);

enum : int { PS_SOLID = 0, PS_DOT = 2 };
// 3-D edge kinds and sides for DrawEdge.
enum : UINT {
    BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA, EDGE_ETCHED = 0x6, EDGE_BUMP = 0x9,
    BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_RECT = 0xF,
};
// Frame controls for DrawFrameControl.
enum : UINT { DFC_SCROLL = 3, DFC_BUTTON = 4 };
enum : UINT {
    DFCS_BUTTONCHECK = 0x0, DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2,
    DFCS_SCROLLRIGHT = 0x3, DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400,
};

class CDC {
public:
    explicit CDC(QPainter* painter) : painter_(painter) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    QPainter* Painter() const { return painter_; }

    void FillSolidRect(const RECT& rect, COLORREF colour);
    // A one-pixel frame just inside rect.
    void FrameRect(const RECT& rect, COLORREF colour);
    void Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
    // The keyboard focus's dotted frame just inside rect.
    void DrawFocusRect(const RECT& rect, COLORREF colour);
    // The edge's borders (BDR_ bits, outer and inner) on the BF_ sides of
    // rect, one line each, in the system's 3-D colours.
    void DrawEdge(const RECT& rect, UINT edge, UINT sides = BF_RECT);
    // A check box (DFC_BUTTON) or a scroll arrow (DFC_SCROLL) in rect, drawn
    // by the application's style; DFCS_ bits for the kind and the state.
    void DrawFrameControl(const RECT& rect, UINT type, UINT state);
    // Inverts every pixel of rect; through an 8 x 8 pattern (the first byte
    // is the top row, the high bit its leftmost pixel) only the set ones.
    virtual void InvertRect(const RECT& rect);
    void PatInvert(const RECT& rect, const unsigned char pattern[8]);

    // Pen for MoveTo/LineTo; returns nothing, the previous pen is simply replaced.
    void SelectPen(int style, int width, COLORREF colour);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);

    int SetBkMode(int mode);
    COLORREF SetBkColor(COLORREF colour);
    COLORREF SetTextColor(COLORREF colour);
    QFont SelectFont(const QFont& font);

    // Restricts drawing to rect (in the context's coordinates); null lifts it.
    void SelectClipRect(const RECT* rect);

    // Draws text in rect with DT_ flags; with DT_CALCRECT only measures and
    // sets rect's right and bottom. Returns the text height.
    int DrawText(const std::string& text, RECT& rect, UINT flags);
    // Width and height of one line of text in the current font.
    SIZE GetTextExtent(const std::string& text) const;

    // Saves pens, colours, modes, font and clip; RestoreDC(-1) returns to the
    // last saved state, RestoreDC(n) to the one SaveDC numbered n.
    int SaveDC();
    bool RestoreDC(int saved);

protected:
    QPainter* painter_;

private:
    struct State {
        int bkMode = OPAQUE;
        COLORREF bkColor = RGB(255, 255, 255);
        COLORREF textColor = RGB(0, 0, 0);
        QPoint current;
        QPen pen;
    };
    State state_;
    std::vector<State> saved_;
};

// Draws into an off-screen copy of the target's clip box; the destructor
// copies the picture to the target in one operation. Coordinates stay those
// of the target.
class CMemDC : public CDC {
public:
    CMemDC(QPainter* target, const RECT& clipBox);
    ~CMemDC() override;

private:
    QPainter* target_;
    RECT clipBox_;
    QPixmap pixmap_;
    QPainter offscreen_;
};

// A context for a window outside painting, in the window's font: for
// measuring text and for inverting tracking lines (InvertRect goes to the
// window's InvertTracker). Other drawing through it is not shown: windows
// draw in WM_PAINT and ask for it with RedrawWindow.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    void InvertRect(const RECT& rect) override;

private:
    CWnd* window_;
    QImage scratch_;
    QPainter scratchPainter_;
};
