#pragma once
// CSizedToolBar: a toolbar whose layout measures each button (text, image or
// both) instead of assuming one button size, so a row of differently sized
// buttons wraps and sizes correctly. CFlatToolBar: the flat kind, a plain
// child inside a cool bar, and with its own borders and background outside
// one. Both paint their background in the band colour.
#include "controls/bars/toolbar_layout.h"
#include "platform/ui/wnd.h"

#include <QImage>
#include <string>
#include <vector>

class QPainter;

// The application's band colour: cool bar, toolbars, labels, splitter.
constexpr COLORREF kBandColor = RGB(227, 246, 253);
// The id of the main frame's top bar.
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;

class CSizedToolBar : public CWnd {
public:
    explicit CSizedToolBar(QWidget* parent = nullptr);

    // The button texts are kept once each in a pool; a button names its
    // text by index (iString).
    int AddString(const std::string& text) { return strings_.Add(text); }
    const std::string& String(int index) const { return strings_.Text(index); }
    int StringCount() const { return strings_.Count(); }
    void AddButton(const TBBUTTON& button);
    void DeleteButton(int index);
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    const TBBUTTON& GetButton(int index) const { return buttons_.at(index).button; }
    bool IsButtonEnabled(int index) const;
    void PressButton(int index, bool pressed);
    void SetHotItem(int index);
    int GetHotItem() const { return hot_; }
    // Images by the buttons' iBitmap; the image of the button with a command, or null.
    void SetImageList(std::vector<QImage> images);
    const QImage* CommandImage(unsigned command) const;

    // The button's rectangle in client coordinates.
    RECT GetItemRect(int index) const;
    // The button under a client point, -1 for none.
    int HitTest(POINT point) const;

    // Lays the buttons out in one row at their measured sizes and takes that size.
    void AutoSize();
    // The layout for a length and LM_ mode: the wrap is applied to the
    // buttons, and the size returned includes the borders.
    SIZE CalcDynamicLayout(int length, uint32_t mode);
    SIZE CalcFixedLayout(bool stretch, bool horizontal);
    // The size the control measures for a button.
    virtual SIZE MeasureButton(int index) const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Room the bar's borders take on each side (none inside a cool bar).
    virtual RECT BorderInsets() const { return RECT{}; }
    virtual void PaintBorders(QPainter&) {}
    // Draws one button; the flat look by default.
    virtual void DrawButton(QPainter& painter, int index, const RECT& rect);
    QFont BarFont();
    void LayOut();

    bool flat_ = false;

private:
    void Paint();
    std::vector<MeasuredButton> buttons_;
    std::vector<RECT> places_;
    std::vector<QImage> images_;
    ButtonStringPool strings_;
    int hot_ = -1;
    int pressedByMouse_ = -1;
};

class CFlatToolBar : public CSizedToolBar {
public:
    explicit CFlatToolBar(QWidget* parent = nullptr) : CSizedToolBar(parent) { flat_ = true; }
    bool InRebar() const { return inRebar_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    RECT BorderInsets() const override;
    void PaintBorders(QPainter& painter) override;

private:
    bool inRebar_ = false;
};
