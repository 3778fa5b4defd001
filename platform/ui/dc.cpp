#include "platform/ui/dc.h"

#include "platform/ui/system_colors.h"

#include <QFontMetrics>

QFont MakeFont(int height, int weight, const char* face) {
    QFont font = face ? QFont(face) : QFont();
    font.setPixelSize(height < 0 ? -height : height);
    font.setWeight(weight >= 700 ? QFont::Bold : weight >= 600 ? QFont::DemiBold : QFont::Normal);
    return font;
}

QColor ToQColor(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }
QRect ToQRect(const RECT& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
RECT FromQRect(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

void CDC::FillSolidRect(const RECT& rect, COLORREF colour) {
    if (!rect.IsRectEmpty())
        painter_->fillRect(ToQRect(rect), ToQColor(colour));
}

void CDC::Draw3dRect(const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    FillSolidRect(RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolidRect(RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolidRect(RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillSolidRect(RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

void CDC::DrawEdge(const RECT& rect, UINT edge) {
    const bool raised = (edge & BDR_RAISEDOUTER) != 0;
    Draw3dRect(rect, GetSysColor(raised ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW),
               GetSysColor(raised ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT));
    if ((edge & 0xC) != 0) { // an inner border too
        RECT inner = rect;
        inner.DeflateRect(1, 1);
        Draw3dRect(inner, GetSysColor(raised ? COLOR_BTNFACE : COLOR_3DDKSHADOW),
                   GetSysColor(raised ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    }
}

void CDC::SelectPen(int style, int width, COLORREF colour) {
    pen_ = QPen(ToQColor(colour), width < 1 ? 1 : width, style == PS_DOT ? Qt::DotLine : Qt::SolidLine);
    pen_.setCapStyle(Qt::FlatCap);
}

void CDC::MoveTo(int x, int y) { current_ = QPoint(x, y); }

void CDC::LineTo(int x, int y) {
    // A flat cap leaves the end point out, as window code expects of lines.
    painter_->save();
    painter_->setPen(pen_);
    painter_->drawLine(current_, QPoint(x, y));
    painter_->restore();
    current_ = QPoint(x, y);
}

int CDC::SetBkMode(int mode) {
    int old = bkMode_;
    bkMode_ = mode;
    return old;
}

COLORREF CDC::SetBkColor(COLORREF colour) {
    COLORREF old = bkColor_;
    bkColor_ = colour;
    return old;
}

COLORREF CDC::SetTextColor(COLORREF colour) {
    COLORREF old = textColor_;
    textColor_ = colour;
    return old;
}

QFont CDC::SelectFont(const QFont& font) {
    QFont old = painter_->font();
    painter_->setFont(font);
    return old;
}

void CDC::SelectClipRect(const RECT* rect) {
    if (rect)
        painter_->setClipRect(ToQRect(*rect));
    else
        painter_->setClipping(false);
}

int CDC::DrawText(const std::string& text, RECT& rect, UINT flags) {
    const QFontMetrics metrics(painter_->font());
    QString string = QString::fromLocal8Bit(text.c_str());
    const bool single = (flags & DT_SINGLELINE) != 0;
    if (flags & DT_END_ELLIPSIS)
        string = metrics.elidedText(string, Qt::ElideRight, rect.Width());
    int alignment = (flags & DT_CENTER) ? Qt::AlignHCenter : (flags & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    if (single)
        alignment |= (flags & DT_VCENTER) ? Qt::AlignVCenter : (flags & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    else
        alignment |= Qt::AlignTop | ((flags & DT_WORDBREAK) ? Qt::TextWordWrap : 0);
    if (flags & DT_CALCRECT) {
        QRect bounds = metrics.boundingRect(ToQRect(rect), alignment, string);
        rect.right = rect.left + bounds.width();
        rect.bottom = rect.top + bounds.height();
        return bounds.height();
    }
    QRect bounds = metrics.boundingRect(ToQRect(rect), alignment, string);
    if (bkMode_ == OPAQUE)
        painter_->fillRect(bounds.intersected(ToQRect(rect)), ToQColor(bkColor_));
    painter_->save();
    painter_->setPen(ToQColor(textColor_));
    painter_->drawText(ToQRect(rect), alignment, string);
    painter_->restore();
    return bounds.height();
}

CMemDC::CMemDC(QPainter* target, const RECT& clipBox)
    : CDC(&offscreen_), target_(target), clipBox_(clipBox),
      pixmap_(std::max(clipBox.Width(), 1), std::max(clipBox.Height(), 1)) {
    offscreen_.begin(&pixmap_);
    offscreen_.setFont(target->font());
    offscreen_.translate(-clipBox.left, -clipBox.top);
}

CMemDC::~CMemDC() {
    offscreen_.end();
    target_->drawPixmap(clipBox_.left, clipBox_.top, pixmap_);
}
