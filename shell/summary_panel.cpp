#include "shell/summary_panel.h"
#include "shell/program_resources.h"

#include "platform/ui/input_state.h"
#include "platform/ui/ui_services.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

CContextRichEdit::CContextRichEdit(QWidget* parent) : CWnd(parent), text_(new QTextEdit) {
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setTabChangesFocus(true);
    text_->setCursorWidth(0); // nothing is typed here: no caret, though the keys still select
    HostControl(text_);
}

void CContextRichEdit::ShowSummary(const DocumentSummary& summary) {
    text_->clear();
    QTextCursor cursor(text_->document());
    for (const SummaryBlock& block : summary.blocks) {
        QTextCharFormat format;
        format.setFontWeight(block.bold ? QFont::Bold : QFont::Normal);
        format.setFontUnderline(block.underline);
        format.setForeground(QColor((block.colour >> 16) & 0xFF, (block.colour >> 8) & 0xFF, block.colour & 0xFF));
        cursor.insertText(QString::fromLocal8Bit(block.text.c_str()), format);
    }
    text_->moveCursor(QTextCursor::Start);
}

void CContextRichEdit::ShowText(const std::string& text) { text_->setPlainText(QString::fromLocal8Bit(text.c_str())); }

void CContextRichEdit::Clear() { text_->clear(); }

std::string CContextRichEdit::GetSelectedText() const {
    return text_->textCursor().selectedText().replace(QChar::ParagraphSeparator, '\n').toLocal8Bit().toStdString();
}

std::string CContextRichEdit::GetPlainText() const { return text_->toPlainText().toLocal8Bit().toStdString(); }

LRESULT CContextRichEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_RBUTTONDOWN: {
        SetFocus();
        const std::vector<PopupMenuEntry> entries = {{ID_SUMMARY_COPY, ResourceString("summary.copy"), !GetSelectedText().empty()},
                                                     {ID_SUMMARY_SELECT_ALL, ResourceString("summary.select_all"), true}};
        const POINT at = PointFromParam(static_cast<uintptr_t>(GetMessagePos())); // where the button went down
        SendMessage(WM_COMMAND, Services().TrackPopupMenu(this, entries, at.x, at.y));
        return CWnd::WindowProc(message, wParam, lParam);
    }
    case WM_RBUTTONUP:
        return 0; // the menu came with the press
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_SUMMARY_COPY)
            Services().SetClipboardText(GetSelectedText());
        else if (LOWORD(wParam) == ID_SUMMARY_SELECT_ALL)
            text_->selectAll();
        return 0;
    case WM_KEYDOWN:
        if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0)
            text_->selectAll(); // and the key goes on as usual
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
