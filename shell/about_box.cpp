#include "shell/about_box.h"
#include "shell/program_resources.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "shell/app_icon.h"
#include "platform/product_info.h"

#include <QFontMetrics>
#include <algorithm>
#include <utility>

namespace {

constexpr COLORREF kBand = RGB(227, 246, 253);

// Where each line sits as drawn for the reference font, in pixels.
struct LinePlace {
    int left, top, right, bottom;
};
constexpr LinePlace kProductPlace{20, 96, 360, 112}, kLinePlace{20, 116, 360, 132},
    kWebsiteLabelPlace{20, 150, 90, 166}, kWebsitePlace{90, 150, 360, 166}, kSupportLabelPlace{20, 172, 90, 188},
    kSupportPlace{90, 172, 360, 188};

} // namespace

CAboutBox::CAboutBox()
    : product_(this), line_(this), websiteLabel_(this), supportLabel_(this), website_(this), support_(this),
      metrics_(DialogMetrics::OfDialogFont()) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFocusPolicy(Qt::StrongFocus); // for Escape
    ModifyStyle(0, WS_BORDER);
    for (CLabelStatic* label : Lines()) {
        label->Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 1, 1}, this, 0);
        label->SetFontSize(-metrics_.Y(13));
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
    LayOut();
}

void CAboutBox::LayOut() {
    // Each line where the layout puts it, grown with the font, and wide and
    // high enough for its whole text; the box as wide as its longest line.
    const std::pair<CLabelStatic*, LinePlace> places[] = {
        {&product_, kProductPlace},  {&line_, kLinePlace},         {&websiteLabel_, kWebsiteLabelPlace},
        {&website_, kWebsitePlace}, {&supportLabel_, kSupportLabelPlace}, {&support_, kSupportPlace}};
    int right = 0;
    for (const auto& [label, place] : places) {
        const QFont font = label->LabelFont();
        const int textWidth = DialogMetrics::TextWidth(font, label->GetWindowText());
        const int left = metrics_.X(place.left), top = metrics_.Y(place.top);
        const int width = std::max(metrics_.X(place.right - place.left), textWidth);
        const int height = std::max(metrics_.Y(place.bottom - place.top), QFontMetrics(font).height());
        label->MoveWindow(RECT{left, top, left + width, top + height});
        right = std::max(right, left + width);
    }
    resize(std::max(metrics_.X(378), right + metrics_.X(18)), metrics_.Y(210));
}

void CAboutBox::DoModal(QWidget* parent) {
    if (parent)
        move(parent->mapToGlobal(parent->rect().center()) - QPoint(width() / 2, height() / 2));
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();
    setFocus();
    // A loop of its own, as a dialog's: it also ends when the program quits.
    QEventLoop loop;
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
    hide();
}

void CAboutBox::End() {
    if (loop_)
        loop_->exit();
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
        dc.Painter()->drawImage(QPoint(metrics_.X(20), metrics_.Y(24)), AppIcon(metrics_.Y(48)));
        dc.SetBkMode(TRANSPARENT);
        dc.SelectFont(MakeFont(-metrics_.Y(28), 700));
        dc.SetTextColor(RGB(0, 90, 160));
        RECT picture{metrics_.X(80), metrics_.Y(16), client.right - metrics_.X(20), metrics_.Y(80)};
        dc.DrawText("Vellumin", picture, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        const int edge = metrics_.Y(86);
        dc.DrawEdge(RECT{metrics_.X(10), edge, client.right - metrics_.X(10), edge + 2}, EDGE_ETCHED, BF_TOP);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        End();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            End();
        return 0;
    case WM_CLOSE: // the window manager's close, Alt+F4, the main window's: hidden, not destroyed
        hide();
        End();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
