#pragma once
// The summary panel: a read-only rich text showing a document's summary in
// its styled blocks (bold, underline, colour), with a two-entry context menu
// ("C&opy", "Select &All") and Ctrl+A.
#include "engine/pdf/document_summary.h"
#include "engine/catalogue/image_entry.h"
#include "platform/ui/wnd.h"

#include <QTextCursor>

class QTextEdit;

enum : UINT { ID_SUMMARY_COPY = 1103, ID_SUMMARY_SELECT_ALL = 1106 };

class CContextRichEdit : public CWnd {
public:
    explicit CContextRichEdit(QWidget* parent = nullptr);
    void ShowSummary(const DocumentSummary& summary);
    // After the summary: "Images:" and a line that says they are being read,
    // which the list replaces once it is read.
    void ShowImagesReading();
    // "Images: N", then a line per image: page, size, colour, encoding, ppi.
    void ShowImageList(const std::vector<ImageEntry>& images);
    // "Images:" and why there is no list.
    void ShowImagesUnlisted();
    // Plain text, such as the counts at the end of a run.
    void ShowText(const std::string& text);
    void Clear();
    std::string GetSelectedText() const;
    std::string GetPlainText() const;
    QTextEdit* TextEdit() const { return text_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    QTextEdit* text_;
    // Empties the images' block, and answers a cursor at its start.
    QTextCursor ImagesBlock();
    int imagesStart_ = -1; // where the images' block begins in the text; -1 when there is none
};
