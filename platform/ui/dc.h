#pragma once
// A drawing context over QPainter with the operations window code names:
// solid fills, pens and lines, 3-D edges, text with DrawText flags, clipping,
// background mode, text colour and fonts. CMemDC draws off-screen over a clip
// box and copies the result to its target in one operation.
#include "platform/ui/win_types.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <string>

// A font by character height in pixels and weight (400 normal, 700 bold).
QFont MakeFont(int height, int weight = 400, const char* face = nullptr);

QColor ToQColor(COLORREF colour);
QRect ToQRect(const RECT& rect);
RECT FromQRect(const QRect& rect);

enum : int { PS_SOLID = 0, PS_DOT = 2 };
// 3-D edge kinds for DrawEdge.
enum : UINT { EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA, BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2 };

class CDC {
public:
    explicit CDC(QPainter* painter) : painter_(painter) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    QPainter* Painter() const { return painter_; }

    void FillSolidRect(const RECT& rect, COLORREF colour);
    void Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
    // Raised or sunken edge around rect, in the system's 3-D colours.
    void DrawEdge(const RECT& rect, UINT edge);

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

protected:
    QPainter* painter_;

private:
    int bkMode_ = OPAQUE;
    COLORREF bkColor_ = RGB(255, 255, 255);
    COLORREF textColor_ = RGB(0, 0, 0);
    QPoint current_;
    QPen pen_;
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
