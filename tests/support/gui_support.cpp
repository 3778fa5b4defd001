#include "tests/support/gui_support.h"

#include "platform/ui/input_state.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStyleOptionSlider>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cstdio>

void ShowExposed(QWidget* widget) {
    QWidget* top = widget->window();
    top->show();
    top->activateWindow();
    for (int i = 0; i < 200 && !(top->windowHandle() && top->windowHandle()->isExposed() && top->isActiveWindow());
         ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QScrollBar* ScrollBarOf(QWidget* window, Qt::Orientation orientation) {
    for (QScrollBar* bar : window->findChildren<QScrollBar*>())
        if (bar->orientation() == orientation)
            return bar;
    return nullptr;
}

QRect ScrollBarPart(QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    if (bar->orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

void DropFiles(QWidget* target, const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

std::string MessageName(UINT message) {
    static const std::pair<UINT, const char*> names[] = {
        {WM_CREATE, "WM_CREATE"},           {WM_DESTROY, "WM_DESTROY"},
        {WM_NCDESTROY, "WM_NCDESTROY"},     {WM_SIZE, "WM_SIZE"},
        {WM_SETFOCUS, "WM_SETFOCUS"},       {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_ENABLE, "WM_ENABLE"},           {WM_CLOSE, "WM_CLOSE"},
        {WM_SYSCOLORCHANGE, "WM_SYSCOLORCHANGE"}, {WM_SETCURSOR, "WM_SETCURSOR"},
        {WM_NOTIFY, "WM_NOTIFY"},           {WM_CONTEXTMENU, "WM_CONTEXTMENU"},
        {WM_GETDLGCODE, "WM_GETDLGCODE"},   {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_KEYUP, "WM_KEYUP"},             {WM_CHAR, "WM_CHAR"},
        {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"},   {WM_SYSKEYUP, "WM_SYSKEYUP"},
        {WM_SYSCHAR, "WM_SYSCHAR"},         {WM_COMMAND, "WM_COMMAND"},
        {WM_HSCROLL, "WM_HSCROLL"},         {WM_VSCROLL, "WM_VSCROLL"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},     {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},     {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"},
        {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"},
        {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"}, {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"},
        {WM_MBUTTONUP, "WM_MBUTTONUP"},     {WM_MBUTTONDBLCLK, "WM_MBUTTONDBLCLK"},
        {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"},   {WM_MOUSEHWHEEL, "WM_MOUSEHWHEEL"},
        {WM_XBUTTONDOWN, "WM_XBUTTONDOWN"},
        {WM_XBUTTONUP, "WM_XBUTTONUP"},     {WM_XBUTTONDBLCLK, "WM_XBUTTONDBLCLK"},
        {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
    };
    for (const auto& name : names)
        if (name.first == message)
            return name.second;
    char text[32];
    std::snprintf(text, sizeof text, message >= WM_USER ? "WM_USER+%u" : "0x%04X",
                  message >= WM_USER ? message - WM_USER : message);
    return text;
}

std::string DescribeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    char text[96];
    const bool point = (message >= WM_MOUSEMOVE && message <= WM_XBUTTONDBLCLK) || message == WM_CONTEXTMENU;
    if (point && lParam != -1)
        std::snprintf(text, sizeof text, " 0x%llx (%d,%d)", static_cast<unsigned long long>(wParam),
                      static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)));
    else
        std::snprintf(text, sizeof text, " 0x%llx %lld", static_cast<unsigned long long>(wParam),
                      static_cast<long long>(lParam));
    return MessageName(message) + text;
}

namespace {

// Focus and context-menu messages name a window in wParam: by its name in
// the journal, "null" for none.
std::string NamedWindowParameter(const std::vector<std::pair<const QWidget*, std::string>>& names, WPARAM window) {
    if (window == 0)
        return "null";
    for (const auto& name : names)
        if (CWnd::ToParam(name.first) == window)
            return name.second;
    return "unnamed";
}

} // namespace

LRESULT JournalWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!ignored.count(message)) {
        std::string line = DescribeMessage(message, wParam, lParam);
        if (message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_CONTEXTMENU) {
            const std::string number = DescribeMessage(message, wParam, lParam).substr(MessageName(message).size() + 1);
            line = MessageName(message) + " " + NamedWindowParameter(names, wParam) + number.substr(number.find(' '));
        }
        if (message >= WM_KEYDOWN && message <= WM_SYSCHAR) {
            line += GetKeyState(VK_SHIFT) < 0 ? " +S" : "";
            line += GetKeyState(VK_CONTROL) < 0 ? " +C" : "";
            line += GetKeyState(VK_MENU) < 0 ? " +A" : "";
        }
        journal.push_back(line);
    }
    if (message == WM_GETDLGCODE)
        return dialogCode;
    return CWnd::WindowProc(message, wParam, lParam);
}
