#include "shell/about_box.h"
#include "shell/program_resources.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "shell/app_icon.h"
#include "platform/product_info.h"

#include <QEventLoop>

namespace {
constexpr COLORREF kBand = RGB(227, 246, 253);
constexpr int kWidth = 378, kHeight = 210;
} // namespace

CAboutBox::CAboutBox()
    : product_(this), line_(this), websiteLabel_(this), supportLabel_(this), website_(this), support_(this) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    ModifyStyle(0, WS_BORDER);
    resize(kWidth, kHeight);
    struct Place {
        CLabelStatic* label;
        RECT rect;
    } places[] = {{&product_, {20, 96, 360, 112}},       {&line_, {20, 116, 360, 132}},
                  {&websiteLabel_, {20, 150, 90, 166}},  {&website_, {90, 150, 360, 166}},
                  {&supportLabel_, {20, 172, 90, 188}},  {&support_, {90, 172, 360, 188}}};
    for (const Place& place : places) {
        place.label->Create(WS_CHILD | WS_VISIBLE, place.rect, this, 0);
        place.label->SetFontSize(-13);
    }
    product_.SetDlgCtrlID(1008);
    line_.SetDlgCtrlID(1009);
    websiteLabel_.SetDlgCtrlID(1014);
    website_.SetDlgCtrlID(1015);
    supportLabel_.SetDlgCtrlID(1016);
    support_.SetDlgCtrlID(1017);
    product_.SetBold(true);
    product_.SetWindowText(kProductName);
    SetWindowText(kProductName);
    setWindowTitle(kProductName);
    line_.SetWindowText(kProductLine);
    websiteLabel_.SetWindowText(ResourceString("about.website"));
    supportLabel_.SetWindowText(ResourceString("about.support"));
    website_.SetWindowText(kHomePage);
    website_.SetURL(kHomePage);
    support_.SetWindowText(kSupportAddress);
    support_.SetURL(std::string("mailto:") + kSupportAddress);
    for (CHyperLink* link : {&website_, &support_}) {
        link->SetLinkCursor(Cursor::Hand);
        link->SetTextColor(RGB(0, 0, 255));
        link->SetUnderline(true);
    }
}

void CAboutBox::DoModal(QWidget* parent) {
    if (parent)
        move(parent->mapToGlobal(parent->rect().center()) - QPoint(kWidth / 2, kHeight / 2));
    setWindowModality(Qt::ApplicationModal);
    ended_ = false;
    show();
    PumpMessagesUntil([this] { return ended_; });
    hide();
}

LRESULT CAboutBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        CPaintDC paint(this);
        CMemDC dc(paint.Painter(), paint.ClipBox());
        const RECT client = GetClientRect();
        dc.FillSolidRect(client, kBand);
        // The picture (the application icon and the name), then an etched line below it.
        dc.Painter()->drawImage(QPoint(20, 24), AppIcon(48));
        dc.SetBkMode(TRANSPARENT);
        dc.SelectFont(MakeFont(-28, 700));
        dc.SetTextColor(RGB(0, 90, 160));
        RECT picture{80, 16, client.right - 20, 80};
        dc.DrawText("Vellumin", picture, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        dc.DrawEdge(RECT{10, 86, client.right - 10, 88}, EDGE_ETCHED, BF_TOP);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        ended_ = true;
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
