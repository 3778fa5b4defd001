#include "controls/bars/label_static.h"

#include "platform/ui/dc.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/ui_services.h"

#include <QApplication>
#include <QFontMetrics>

QFont CLabelStatic::LabelFont() const {
    QFont font = MakeFont(height_, bold_ ? 900 : 400, face_.c_str());
    font.setItalic(italic_);
    font.setUnderline(underline_);
    font.setStrikeOut(strikeOut_);
    return font;
}

LRESULT CLabelStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        reinterpret_cast<CDC*>(wParam)->FillSolidRect(GetClientRect(), background_);
        return 1;
    case WM_PAINT: {
        CPaintDC dc(this);
        dc.FillSolidRect(GetClientRect(), background_);
        dc.SelectFont(LabelFont());
        dc.SetTextColor(textColour_);
        dc.SetBkMode(TRANSPARENT);
        RECT area = GetClientRect();
        dc.DrawText(GetWindowText(), area,
                    DT_WORDBREAK | DT_NOPREFIX | (centre_ ? DT_CENTER : right_ ? DT_RIGHT : DT_LEFT));
        return 0;
    }
    case WM_SETTEXT: {
        const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
        Invalidate();
        return result;
    }
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

CHyperLink::CHyperLink(QWidget* parent) : CLabelStatic(parent) {}

void CHyperLink::SetURL(const std::string& target) {
    target_ = target;
    if (GetWindowText().empty())
        SetWindowText(target);
    else if (target_.empty())
        target_ = GetWindowText();
    setToolTip(QString::fromLocal8Bit(target_.c_str()));
    AdjustSize();
}

void CHyperLink::AdjustSize() {
    // As wide and as high as the text, from the left edge.
    const QFontMetrics metrics(LabelFont());
    const QString text = QString::fromLocal8Bit(GetWindowText().c_str());
    resize(metrics.horizontalAdvance(text), metrics.height());
}

std::string CHyperLink::ErrorText(int code) {
    switch (code) {
    case 0: return "The operating system is out\nof memory or resources.";
    case 2: return "The specified file was not found.";
    case 3: return "The specified path was not found.";
    case 5: return "The operating system denied\naccess to the specified file.";
    case 8: return "There was not enough memory to complete the operation.";
    case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26: return "A sharing violation occurred. ";
    case 27: return "The filename association is\nincomplete or invalid.";
    case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29: return "The DDE transaction failed.";
    case 30: return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31: return "There is no application associated\nwith the given filename extension.";
    case 32: return "The specified dynamic-link library was not found.";
    default: return "Unknown Error (" + std::to_string(code) + ") occurred.";
    }
}

bool CHyperLink::GotoURL() {
    if (Services().OpenWithDesktop(target_))
        return true;
    // The desktop has no handler for it (the default handler for web links
    // was asked already): as for an association that is missing.
    QApplication::beep();
    Services().MessageBox(this, "Unable to open hyperlink:\n\n" + ErrorText(31), "Vellumin", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

LRESULT CHyperLink::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        ::SetCursor(cursor_);
        return 1;
    case WM_LBUTTONUP:
        if (GotoURL())
            Invalidate();
        return 0;
    }
    return CLabelStatic::WindowProc(message, wParam, lParam);
}
