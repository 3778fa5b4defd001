#pragma once
// The About box: the product's name, a line about it, and links to its web
// page and to a mail to its support, on the band colour, its sizes grown
// with the dialog font and every line whole. Any mouse press on it, Escape,
// or a close by any other means (the window manager's, the main window's)
// ends it.
#include "controls/bars/label_static.h"
#include "platform/ui/dialog_metrics.h"

#include <QEventLoop>
#include <vector>

class CAboutBox : public CWnd {
public:
    CAboutBox();
    // Shows the box over parent until it ends.
    void DoModal(QWidget* parent);
    CHyperLink& WebsiteLink() { return website_; }
    CHyperLink& SupportLink() { return support_; }
    CLabelStatic& ProductLine() { return product_; }
    // Every text line of the box, in reading order.
    std::vector<CLabelStatic*> Lines() {
        return {&product_, &line_, &websiteLabel_, &website_, &supportLabel_, &support_};
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void LayOut();
    void End();

    CLabelStatic product_, line_, websiteLabel_, supportLabel_;
    CHyperLink website_, support_;
    const DialogMetrics metrics_;
    QEventLoop* loop_ = nullptr; // the modal loop while the box shows
};
