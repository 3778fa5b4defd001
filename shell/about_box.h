#pragma once
// The About box: the product's name, a line about it, and links to its web
// page and to a mail to its support, on the band colour. Any mouse press on
// it closes it.
#include "controls/bars/label_static.h"

class CAboutBox : public CWnd {
public:
    CAboutBox();
    // Shows the box over parent until a mouse press ends it.
    void DoModal(QWidget* parent);
    CHyperLink& WebsiteLink() { return website_; }
    CHyperLink& SupportLink() { return support_; }
    CLabelStatic& ProductLine() { return product_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CLabelStatic product_, line_, websiteLabel_, supportLabel_;
    CHyperLink website_, support_;
    bool ended_ = false;
};
