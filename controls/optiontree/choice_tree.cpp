#include "controls/optiontree/choice_tree.h"

#include "platform/ui/dialog_metrics.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"

#include <QFontMetrics>
#include <algorithm>
#include <memory>

namespace {

// The fonts every live tree shares.
struct SharedFonts {
    int trees = 0;
    std::unique_ptr<QFont> normal, bold;
};

SharedFonts& Fonts() {
    static SharedFonts fonts;
    return fonts;
}

} // namespace

// ---- the outer window

CChoiceTree::CChoiceTree() : list_(this), info_(this) {
    if (Fonts().trees++ == 0)
        RebuildFonts();
}

CChoiceTree::~CChoiceTree() {
    DestroyWindow();
    DeleteAllItems();
    if (--Fonts().trees == 0) {
        Fonts().normal.reset();
        Fonts().bold.reset();
    }
}

void CChoiceTree::RebuildFonts() {
    NONCLIENTMETRICS metrics;
    SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics);
    LOGFONT font;
    font.lfHeight = metrics.lfMenuFont.lfHeight;
    font.lfWeight = metrics.lfMenuFont.lfWeight;
    font.lfItalic = metrics.lfMenuFont.lfItalic;
    std::copy(std::begin(metrics.lfMenuFont.lfFaceName), std::end(metrics.lfMenuFont.lfFaceName), font.lfFaceName);
    Fonts().normal = std::make_unique<QFont>(CFont(font).Font());
    font.lfWeight = 700;
    Fonts().bold = std::make_unique<QFont>(CFont(font).Font());
}

const QFont& CChoiceTree::NormalFont() { return *Fonts().normal; }
const QFont& CChoiceTree::BoldFont() { return *Fonts().bold; }

BOOL CChoiceTree::Create(uint32_t style, const RECT& rect, CWnd* parent, UINT options, UINT id) {
    SetOptions(options);
    if (!CWnd::Create(style | WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect, parent, id))
        return 0;
    if (!info_.Create(WS_CHILD | WS_VISIBLE, RECT{}, this, 0xFFFF) ||
        !list_.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, RECT{}, this, 30000))
        return 0;
    list_.SetClassCursor(Cursor::Arrow);
    // Rows as drawn for the reference font; with a larger one, a line of
    // either font and a pixel above and below.
    const int line = std::max(QFontMetrics(NormalFont()).height(), QFontMetrics(BoldFont()).height());
    SetRowHeight(DialogMetrics::OfDialogFont().Height(CT_ROW_HEIGHT, line + 2));
    LayOut();
    return 1;
}

void CChoiceTree::FitColumnToLabels() {
    int needed = 0;
    // A label starts past the margin and 5 pixels, the children of an item
    // that is no category one margin further in, as the layout places them.
    const std::function<void(CChoiceTreeItem*, int)> measure = [&](CChoiceTreeItem* parent, int x) {
        for (CChoiceTreeItem* item = parent->GetChild(); item; item = item->GetSibling()) {
            if (!item->IsCategory())
                needed = std::max(needed,
                                  x + CT_MARGIN + 5 + DialogMetrics::TextWidth(NormalFont(), item->GetLabelText()) + 1);
            measure(item, item->IsCategory() ? x : x + CT_MARGIN);
        }
    };
    measure(GetRootItem(), 0);
    SetColumn(DialogMetrics::OfDialogFont().Width(CT_COLUMN, needed));
    LayOut(); // the description pane fits the descriptions now there
}

int CChoiceTree::InfoPaneHeight(int width, int treeHeight) {
    // As the pane draws them: inside a 4-pixel margin, the label in bold on
    // one line, the description in the normal font wrapped at its words.
    const int room = std::max(width - 8, 1);
    const int title = QFontMetrics(BoldFont()).height();
    int tallest = 0;
    EnumItems(nullptr, [&](CChoiceTreeItem* item) {
        const QString text = QString::fromLocal8Bit(item->GetInfoText().c_str());
        tallest = std::max(tallest, QFontMetrics(NormalFont())
                                        .boundingRect(QRect(0, 0, room, 1 << 20),
                                                      Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text)
                                        .height());
        return true;
    });
    // Never more than half the tree: the rows keep the rest.
    return std::min(std::max(CT_INFO_HEIGHT, 8 + title + tallest), std::max(treeHeight / 2, CT_INFO_HEIGHT));
}

void CChoiceTree::SetNotify(bool on, CWnd* owner) {
    notifyOwner_ = owner;
    SetOwner(owner);
    SetOptions(on ? GetOptions() | CT_NOTIFYOWNER : GetOptions() & ~CT_NOTIFYOWNER);
    LayOut();
}

void CChoiceTree::LayOut() {
    const RECT client = GetClientRect();
    if (client.right <= 0 || client.bottom <= 0)
        return;
    // The width first: the list's resize re-clamps the divider against it.
    SetControlWidth(client.right);
    const bool pane = GetOptions() & CT_SHOWINFOPANE;
    info_.ShowWindow(pane);
    const int paneHeight = pane ? InfoPaneHeight(client.right, client.bottom) : 0;
    if (pane)
        info_.MoveWindow(RECT{0, client.bottom - paneHeight, client.right, client.bottom});
    list_.MoveWindow(RECT{0, 0, client.right, client.bottom - paneHeight});
    Repaint();
}

LRESULT CChoiceTree::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        LayOut();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        CPaintDC dc(this); // the list and the pane cover everything
        return 0;
    }
    case WM_ENABLE:
    case WM_SETFOCUS:
        Repaint();
        return CWnd::WindowProc(message, wParam, lParam);
    case WM_SYSCOLORCHANGE:
        RebuildFonts();
        Repaint();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CChoiceTree::SendNotify(int code, CChoiceTreeItem* item) {
    const bool known = code == CTN_INSERTITEM || code == CTN_DELETEITEM || code == CTN_ITEMCHANGED ||
                       code == CTN_SELCHANGE || code == CTN_ITEMEXPANDING || code == CTN_COLUMNCLICK ||
                       code == CTN_ATTRIBUTECLICK;
    if (!IsWindow() || !(GetOptions() & CT_NOTIFYOWNER) || !notifyOwner_ || !known)
        return 0;
    ChoiceTreeNotify notify;
    notify.hdr.code = code;
    notify.item = item;
    return NotifyOwner(notify.hdr);
}

void CChoiceTree::Repaint() {
    if (!IsWindow())
        return;
    list_.Invalidate(false);
    info_.Invalidate(false);
}

COLORREF CChoiceTree::SysColor(int index) const { return GetSysColor(index); }

void CChoiceTree::SetScrollBar(int maximum, int page, int position) {
    if (!list_.IsWindow())
        return;
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = maximum;
    info.nPage = static_cast<UINT>(page);
    info.nPos = position;
    list_.SetScrollInfo(SB_VERT, info);
    const RECT client = list_.GetClientRect();
    SetListSize(client.right, client.bottom);
}

// ---- the description pane

LRESULT CChoiceTreeInfo::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND)
        return 1;
    if (message != WM_PAINT)
        return CWnd::WindowProc(message, wParam, lParam);
    CPaintDC paint(this);
    CMemDC dc(paint.Painter(), paint.ClipBox());
    RECT rect = GetClientRect();
    dc.FillSolidRect(rect, GetSysColor(COLOR_BTNFACE));
    dc.DrawEdge(rect, EDGE_SUNKEN);
    rect.DeflateRect(4, 4);
    dc.SetTextColor(GetSysColor(tree_->isEnabled() ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    dc.SetBkMode(TRANSPARENT);
    std::string title, text;
    if (const CChoiceTreeItem* focused = tree_->GetFocusedItem()) {
        title = focused->GetLabelText();
        text = focused->GetInfoText();
    } else if (tree_->GetOptions() & CT_INFOPROMPT) {
        title = "No Item Selected";
        text = "Select an item to see its description.";
    }
    dc.SelectFont(CChoiceTree::BoldFont());
    RECT titleRect = rect;
    const int titleHeight = dc.DrawText(title, titleRect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    dc.SelectFont(CChoiceTree::NormalFont());
    RECT textRect{rect.left, rect.top + titleHeight, rect.right, rect.bottom};
    dc.DrawText(text, textRect, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    return 0;
}

// ---- the list: painting

void CChoiceTreeList::Paint() {
    CPaintDC paint(this);
    CMemDC dc(paint.Painter(), paint.ClipBox());
    const RECT client = GetClientRect();
    const bool enabled = tree_->isEnabled();
    tree_->SetListSize(client.right, client.bottom);
    tree_->Layout();
    dc.FillSolidRect(client, GetSysColor(COLOR_BTNFACE));
    RECT inner = client;
    inner.DeflateRect(2, 2);
    dc.FillSolidRect(inner, GetSysColor(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    const bool shadeMargin = (tree_->GetOptions() & CT_SHADEMARGIN) || !enabled;
    dc.FillSolidRect(RECT{0, 0, CT_MARGIN, client.bottom}, GetSysColor(shadeMargin ? COLOR_BTNFACE : COLOR_WINDOW));
    dc.SelectClipRect(&client);
    for (CChoiceTreeItem* item : tree_->VisibleItems())
        DrawItem(dc, item, client);
    // The focused row shows that the keys act on it while the list has the focus.
    const CChoiceTreeItem* focused = tree_->GetFocusedItem();
    if (focused && tree_->IsVisible(focused) && HasFocusInside()) {
        const int top = focused->GetOrigin().y - tree_->GetScrollOffset();
        dc.DrawFocusRect(RECT{CT_MARGIN + 1, top, client.right - 2, top + focused->GetHeight() - 1},
                         GetSysColor(COLOR_WINDOWTEXT));
    }
    dc.SelectClipRect(nullptr);
    dc.SelectPen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    dc.MoveTo(CT_MARGIN, 0);
    dc.LineTo(CT_MARGIN, client.bottom);
    dc.DrawEdge(client, EDGE_SUNKEN);
    if (dragging_) {
        static const unsigned char checkerboard[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
        dc.PatInvert(RECT{dragX_ - 2, 0, dragX_ + 2, client.bottom}, checkerboard);
    }
}

namespace {

// Shortens text with "..." until it fits the width.
std::string Shortened(const QFontMetrics& metrics, const std::string& text, int width) {
    auto measure = [&](const std::string& s) { return metrics.horizontalAdvance(QString::fromLocal8Bit(s.c_str())); };
    if (measure(text) + 1 <= width)
        return text;
    std::string shorter = text;
    const int dots = measure("...");
    while (shorter.size() > 1 && measure(shorter) + dots + 1 > width)
        shorter.pop_back();
    return shorter + "...";
}

} // namespace

int CChoiceTreeList::DrawItem(CDC& dc, CChoiceTreeItem* item, const RECT& client) {
    const int scroll = tree_->GetScrollOffset(), divider = tree_->GetColumn(), right = client.right;
    const int height = item->GetHeight();
    const POINT origin = item->GetOrigin();
    const int top = origin.y - scroll;
    const bool category = item->IsCategory();
    const bool enabled = tree_->isEnabled();
    const RECT label = category ? RECT{origin.x + CT_MARGIN, top, right, top + height}
                                : RECT{origin.x + CT_MARGIN, top, divider, top + height};
    if (category) {
        const bool shade = (tree_->GetOptions() & CT_SHADECATEGORIES) || !enabled;
        dc.FillSolidRect(RECT{client.left + CT_MARGIN, top, right, top + height},
                         shade ? item->GetCategoryBackgroundColor() : GetSysColor(COLOR_WINDOW));
    } else {
        dc.FillSolidRect(RECT{divider, top, right - 2, top + height - 1},
                         item->GetValueBackgroundColor());
    }
    if (item->GetChild()) {
        const int left = 4, boxTop = origin.y + 5 - scroll;
        if (!category)
            dc.FillSolidRect(RECT{left, boxTop, left + 9, boxTop + 9}, GetSysColor(COLOR_WINDOW));
        dc.FrameRect(RECT{left, boxTop, left + 9, boxTop + 9}, GetSysColor(COLOR_BTNSHADOW));
        dc.SelectPen(PS_SOLID, 1, RGB(0, 0, 0));
        dc.MoveTo(left + 2, boxTop + 4);
        dc.LineTo(left + 7, boxTop + 4);
        if (!item->IsExpanded()) {
            dc.MoveTo(left + 4, boxTop + 2);
            dc.LineTo(left + 4, boxTop + 7);
        }
    }
    if (!category) {
        dc.SelectClipRect(&label);
        dc.FillSolidRect(label, item->GetLabelBackgroundColor());
    }
    const std::string& text = item->GetLabelText();
    item->SetLabelTextRect(RECT{});
    if (text.find_first_not_of(' ') != std::string::npos) {
        RECT textRect{label.left + 5, label.top, label.right, label.bottom};
        const QFont& font = category ? CChoiceTree::BoldFont() : CChoiceTree::NormalFont();
        dc.SelectFont(font);
        COLORREF colour = item->GetLabelTextColor();
        if (item->IsSelected()) {
            dc.FillSolidRect(RECT{CT_MARGIN, top, label.right + 5, top + height}, GetSysColor(COLOR_HIGHLIGHT));
            colour = GetSysColor(COLOR_BTNHIGHLIGHT);
        }
        if (!enabled)
            colour = GetSysColor(COLOR_GRAYTEXT);
        dc.SetTextColor(colour);
        dc.SetBkMode(TRANSPARENT);
        const std::string shown = Shortened(QFontMetrics(font), text, textRect.Width());
        if (item->IsTopAlignedLabel())
            textRect.top += 5;
        const UINT format = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | (item->IsTopAlignedLabel() ? 0u : UINT(DT_VCENTER));
        const SIZE extent = dc.GetTextExtent(shown);
        dc.DrawText(shown, textRect, format);
        const int textTop = item->IsTopAlignedLabel() ? textRect.top : top + (height - extent.cy) / 2;
        item->SetLabelTextRect(RECT{textRect.left, textTop, textRect.left + extent.cx, textTop + extent.cy});
    }
    dc.SelectClipRect(&client);
    dc.SelectPen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    dc.MoveTo(CT_MARGIN, label.bottom - 1);
    dc.LineTo(CT_MARGIN + right, label.bottom - 1);
    if (category) {
        dc.MoveTo(CT_MARGIN, label.top - 1);
        dc.LineTo(CT_MARGIN + right, label.top - 1);
    }
    dc.MoveTo(CT_MARGIN, 0);
    dc.LineTo(CT_MARGIN, client.bottom);
    if (!category) {
        dc.MoveTo(divider, top);
        dc.LineTo(divider, top + height);
        const RECT& value = item->GetAttributeRect();
        dc.SelectClipRect(&value);
        item->DrawAttribute(&dc, value);
        dc.SelectClipRect(&client);
    }
    return height;
}
