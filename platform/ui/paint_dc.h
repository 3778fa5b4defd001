#pragma once
// The drawing context of a WM_PAINT handler.
#include "platform/ui/dc.h"
#include "platform/ui/wnd.h"

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    RECT ClipBox() const { return clipBox_; }

private:
    QPainter painter_;
    RECT clipBox_;
};
