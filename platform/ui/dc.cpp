#include "platform/ui/dc.h"

#include "platform/ui/system_colors.h"
#include "platform/ui/wnd.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

QFont::Weight WeightOf(int weight) {
    return weight >= 700 ? QFont::Bold : weight >= 600 ? QFont::DemiBold : QFont::Normal;
}

// The 3-D colours of DrawEdge by the edge's two borders (index: the BDR_
// bits of one border kind); -1 draws nothing. A lone inner border takes the
// outer place with its own colours.
constexpr int kOuterTopLeft[16] = {-1, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1, COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT,
                                   COLOR_BTNSHADOW, -1, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1,
                                   -1, -1, -1, -1};
constexpr int kOuterBottomRight[16] = {-1, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1, COLOR_BTNSHADOW,
                                       COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1, COLOR_3DLIGHT, COLOR_3DDKSHADOW,
                                       COLOR_BTNHIGHLIGHT, -1, -1, -1, -1, -1};
constexpr int kInnerTopLeft[16] = {-1, -1, -1, -1, -1, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT, -1,
                                   -1, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, -1, -1, -1, -1, -1};
constexpr int kInnerBottomRight[16] = {-1, -1, -1, -1, -1, COLOR_BTNSHADOW, COLOR_BTNSHADOW, -1,
                                       -1, COLOR_3DLIGHT, COLOR_3DLIGHT, -1, -1, -1, -1, -1};

} // namespace

QFont MakeFont(int height, int weight, const char* face) {
    QFont font = face && *face ? QFont(face) : QApplication::font();
    font.setWeight(WeightOf(weight));
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        // The largest character height whose cell fits the height asked for.
        int size = height;
        font.setPixelSize(size);
        while (size > 1 && QFontMetrics(font).height() > height)
            font.setPixelSize(--size);
    }
    return font;
}

void CFont::CreateFontIndirect(const LOGFONT& logFont) {
    logFont_ = logFont;
    font_ = MakeFont(logFont.lfHeight, logFont.lfWeight, logFont.lfFaceName);
    font_.setItalic(logFont.lfItalic != 0);
    font_.setUnderline(logFont.lfUnderline != 0);
    font_.setStrikeOut(logFont.lfStrikeOut != 0);
}

QColor ToQColor(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }
QRect ToQRect(const RECT& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
RECT FromQRect(const QRect& r) { return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

void CDC::FillSolidRect(const RECT& rect, COLORREF colour) {
    if (!rect.IsRectEmpty())
        painter_->fillRect(ToQRect(rect), ToQColor(colour));
}

void CDC::FrameRect(const RECT& r, COLORREF colour) { Draw3dRect(r, colour, colour); }

void CDC::Draw3dRect(const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    FillSolidRect(RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolidRect(RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolidRect(RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillSolidRect(RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

void CDC::DrawFocusRect(const RECT& r, COLORREF colour) {
    QPen dots(ToQColor(colour), 1);
    dots.setDashPattern({1, 1}); // a pixel on, a pixel off
    painter_->save();
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setPen(dots);
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(QRectF(r.left + 0.5, r.top + 0.5, r.Width() - 1, r.Height() - 1));
    painter_->restore();
}

void CDC::DrawEdge(const RECT& rect, UINT edge, UINT sides) {
    const int kind = static_cast<int>(edge & 0xF);
    RECT r = rect;
    auto border = [&](int topLeft, int bottomRight) {
        if (topLeft >= 0) {
            if (sides & BF_TOP)
                FillSolidRect(RECT{r.left, r.top, r.right, r.top + 1}, GetSysColor(topLeft));
            if (sides & BF_LEFT)
                FillSolidRect(RECT{r.left, r.top, r.left + 1, r.bottom}, GetSysColor(topLeft));
        }
        if (bottomRight >= 0) {
            if (sides & BF_BOTTOM)
                FillSolidRect(RECT{r.left, r.bottom - 1, r.right, r.bottom}, GetSysColor(bottomRight));
            if (sides & BF_RIGHT)
                FillSolidRect(RECT{r.right - 1, r.top, r.right, r.bottom}, GetSysColor(bottomRight));
        }
        r.left += (sides & BF_LEFT) ? 1 : 0;
        r.top += (sides & BF_TOP) ? 1 : 0;
        r.right -= (sides & BF_RIGHT) ? 1 : 0;
        r.bottom -= (sides & BF_BOTTOM) ? 1 : 0;
    };
    border(kOuterTopLeft[kind], kOuterBottomRight[kind]);
    if (kInnerTopLeft[kind] >= 0)
        border(kInnerTopLeft[kind], kInnerBottomRight[kind]);
}

void CDC::DrawFrameControl(const RECT& rect, UINT type, UINT state) {
    QStyle* style = QApplication::style();
    const bool enabled = (state & DFCS_INACTIVE) == 0;
    if (type == DFC_BUTTON) {
        QStyleOptionButton option;
        option.rect = ToQRect(rect);
        option.palette = QApplication::palette();
        option.palette.setCurrentColorGroup(enabled ? QPalette::Active : QPalette::Disabled);
        option.state = (enabled ? QStyle::State_Enabled : QStyle::State_None) |
                       ((state & DFCS_CHECKED) ? QStyle::State_On : QStyle::State_Off) |
                       ((state & DFCS_PUSHED) ? QStyle::State_Sunken : QStyle::State_None);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter_);
        return;
    }
    if (type != DFC_SCROLL)
        return;
    QStyleOption option;
    option.rect = ToQRect(rect);
    option.palette = QApplication::palette();
    option.palette.setCurrentColorGroup(enabled ? QPalette::Active : QPalette::Disabled);
    option.state = enabled ? QStyle::State_Enabled : QStyle::State_None;
    option.state |= (state & DFCS_PUSHED) ? QStyle::State_Sunken : QStyle::State_Raised;
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, painter_);
    static const QStyle::PrimitiveElement arrows[4] = {QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
                                                       QStyle::PE_IndicatorArrowLeft, QStyle::PE_IndicatorArrowRight};
    style->drawPrimitive(arrows[state & 0x3], &option, painter_);
}

void CDC::InvertRect(const RECT& rect) {
    if (rect.IsRectEmpty())
        return;
    painter_->save();
    painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_->fillRect(ToQRect(rect), Qt::white);
    painter_->restore();
}

void CDC::PatInvert(const RECT& rect, const unsigned char pattern[8]) {
    if (rect.IsRectEmpty())
        return;
    QImage tile(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tile.setPixel(x, y, (pattern[y] & (0x80 >> x)) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    painter_->save();
    painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_->setBrushOrigin(0, 0);
    painter_->fillRect(ToQRect(rect), QBrush(tile));
    painter_->restore();
}

void CDC::SelectPen(int style, int width, COLORREF colour) {
    state_.pen = QPen(ToQColor(colour), width < 1 ? 1 : width, style == PS_DOT ? Qt::DotLine : Qt::SolidLine);
    state_.pen.setCapStyle(Qt::FlatCap);
}

void CDC::MoveTo(int x, int y) { state_.current = QPoint(x, y); }

void CDC::LineTo(int x, int y) {
    // A flat cap leaves the end point out, as window code expects of lines.
    painter_->save();
    painter_->setPen(state_.pen);
    painter_->drawLine(state_.current, QPoint(x, y));
    painter_->restore();
    state_.current = QPoint(x, y);
}

int CDC::SetBkMode(int mode) { return std::exchange(state_.bkMode, mode); }
COLORREF CDC::SetBkColor(COLORREF colour) { return std::exchange(state_.bkColor, colour); }
COLORREF CDC::SetTextColor(COLORREF colour) { return std::exchange(state_.textColor, colour); }

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
    else if (flags & DT_PATH_ELLIPSIS) // the middle goes, so that a path keeps its end
        string = metrics.elidedText(string, Qt::ElideMiddle, rect.Width());
    int alignment = (flags & DT_CENTER) ? Qt::AlignHCenter : (flags & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    if (single)
        alignment |= (flags & DT_VCENTER) ? Qt::AlignVCenter : (flags & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    else
        alignment |= Qt::AlignTop | ((flags & DT_WORDBREAK) ? Qt::TextWordWrap : 0);
    if (flags & DT_CALCRECT) {
        // One line measures as its extent; other text as the lines it wraps into.
        const SIZE extent = GetTextExtent(text);
        const QRect bounds = single ? QRect(0, 0, extent.cx, extent.cy)
                                    : metrics.boundingRect(ToQRect(rect), alignment, string);
        rect.right = rect.left + bounds.width();
        rect.bottom = rect.top + bounds.height();
        return bounds.height();
    }
    QRect bounds = metrics.boundingRect(ToQRect(rect), alignment, string);
    if (state_.bkMode == OPAQUE)
        painter_->fillRect(bounds.intersected(ToQRect(rect)), ToQColor(state_.bkColor));
    painter_->save();
    painter_->setPen(ToQColor(state_.textColor));
    painter_->drawText(ToQRect(rect), alignment, string);
    painter_->restore();
    return bounds.height();
}

SIZE CDC::GetTextExtent(const std::string& text) const {
    const QFontMetrics metrics(painter_->font());
    return SIZE{metrics.horizontalAdvance(QString::fromLocal8Bit(text.c_str())), metrics.height()};
}

int CDC::SaveDC() {
    painter_->save();
    saved_.push_back(state_);
    return static_cast<int>(saved_.size());
}

bool CDC::RestoreDC(int saved) {
    const int level = saved < 0 ? static_cast<int>(saved_.size()) + 1 + saved : saved;
    if (level < 1 || level > static_cast<int>(saved_.size()))
        return false;
    while (static_cast<int>(saved_.size()) >= level) {
        state_ = saved_.back();
        saved_.pop_back();
        painter_->restore();
    }
    return true;
}

CMemDC::CMemDC(QPainter* target, const RECT& clipBox) : CDC(&offscreen_), target_(target), clipBox_(clipBox) {
    // As many device pixels as the target has, so text stays sharp when scaled.
    const qreal ratio = target->device() ? target->device()->devicePixelRatioF() : 1.0;
    pixmap_ = QPixmap(QSize(std::max(clipBox.Width(), 1), std::max(clipBox.Height(), 1)) * ratio);
    pixmap_.setDevicePixelRatio(ratio);
    offscreen_.begin(&pixmap_);
    offscreen_.setFont(target->font());
    offscreen_.translate(-clipBox.left, -clipBox.top);
}

CMemDC::~CMemDC() {
    offscreen_.end();
    target_->drawPixmap(clipBox_.left, clipBox_.top, pixmap_);
}

CClientDC::CClientDC(CWnd* window)
    : CDC(&scratchPainter_), window_(window), scratch_(1, 1, QImage::Format_RGB32), scratchPainter_(&scratch_) {
    scratchPainter_.setFont(window->font());
}

void CClientDC::InvertRect(const RECT& rect) { window_->InvertTracker(rect); }
