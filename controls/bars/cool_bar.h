#pragma once
// CCoolBar: the area at the top of a main window that holds bars as bands,
// each with a minimum size, a width and an identifier, on the band colour.
// A derived class creates the bands when the bar is created; the bar's
// height follows its bands, and a change of it lays the window out again.
#include "platform/ui/wnd.h"

#include <vector>

// Cool bar styles.
enum : uint32_t { RBS_VARHEIGHT = 0x200, RBS_TOOLTIPS = 0x100, CBRS_TOP = 0x2000, CBRS_HIDE_INPLACE = 0x0008 };

class CCoolBar : public CWnd {
public:
    explicit CCoolBar(QWidget* parent = nullptr) : CWnd(parent) {}
    // Creates the bar in the parent widget (the window it sits at the top of);
    // false when the bands cannot be made.
    bool Create(QWidget* parent, uint32_t style, uint32_t barStyle, UINT id);
    uint32_t GetBarStyle() const { return barStyle_; }

    // Adds a band at index (-1: at the end); width -1 takes what is left.
    bool InsertBand(CWnd* child, int minWidth, int minHeight, int width, UINT id, int index = -1,
                    bool lineBreak = false);
    int BandCount() const { return static_cast<int>(bands_.size()); }
    CWnd* BandChild(int index) const { return bands_.at(index).child; }
    SIZE CalcFixedLayout(bool stretch, bool horizontal) const;
    // Times the bar's height changed and the window was asked to lay out.
    int HeightChanges() const { return heightChanges_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // Creates the bands; false fails the creation.
    virtual bool OnCreateBands() = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Band {
        CWnd* child;
        int minWidth, minHeight, width;
        UINT id;
        bool lineBreak;
    };
    // Places the bands in rows; the height they need.
    int LayOutBands();

    std::vector<Band> bands_;
    uint32_t barStyle_ = 0;
    int height_ = 0;
    int heightChanges_ = 0;
};
