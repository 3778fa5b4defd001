#pragma once
// The summary panel: a read-only rich text showing a document's summary in
// its styled blocks (bold, underline, colour), with a two-entry context menu
// ("C&opy", "Select &All") and Ctrl+A.
#include "engine/document_summary.h"
#include "platform/ui/wnd.h"

class QTextEdit;

enum : UINT { ID_SUMMARY_COPY = 1103, ID_SUMMARY_SELECT_ALL = 1106 };

class CContextRichEdit : public CWnd {
public:
    explicit CContextRichEdit(QWidget* parent = nullptr);
    void ShowSummary(const DocumentSummary& summary);
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
};
