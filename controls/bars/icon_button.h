#pragma once
// CIconButton: a flat push button showing an icon: raised while the pointer
// is over it, sunken while pressed (the icon one pixel lower and to the
// right), a darker or grey copy of the icon while disabled, a tooltip. A
// click sends WM_COMMAND (BN_CLICKED) to the parent; a double click is a
// second click.
#include "platform/ui/wnd.h"

#include <QImage>
#include <string>

enum : int { ICON_SECOND_NONE = 0, ICON_SECOND_GREY = -2, ICON_SECOND_DARKER = -3 };

class CIconButton : public CWnd {
public:
    explicit CIconButton(QWidget* parent = nullptr);
    // The icon, and the one shown while disabled: none, a grey or a darker copy.
    void SetIcon(const QImage& icon, int second = ICON_SECOND_NONE);
    void SetTooltipText(const std::string& text, bool activate = true);
    void DrawTransparent(bool transparent) { transparent_ = transparent; Invalidate(); }
    bool IsHovered() const { return hover_; }
    bool IsPressed() const { return pressed_; }
    // The icon drawn now (the second one while disabled, when there is one).
    const QImage& CurrentIcon() const;

    // The copies SetIcon makes of an icon.
    static QImage Darker(const QImage& icon);
    static QImage Grey(const QImage& icon);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void Click();
    QImage icon_, second_;
    bool hover_ = false, pressed_ = false, transparent_ = false;
};
