#include "shell/summary_panel.h"
#include "shell/program_resources.h"

#include "platform/ui/input_state.h"
#include "platform/ui/ui_services.h"

#include "engine/settings/text_format.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

#include <cmath>

CContextRichEdit::CContextRichEdit(QWidget* parent) : CWnd(parent), text_(new QTextEdit) {
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setTabChangesFocus(true);
    text_->setCursorWidth(0); // nothing is typed here: no caret, though the keys still select
    HostControl(text_);
}

void CContextRichEdit::ShowSummary(const DocumentSummary& summary) {
    text_->clear();
    imagesStart_ = -1;
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

namespace {

// Underlined, as the summary's headings.
QTextCharFormat Heading() {
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setFontUnderline(true);
    format.setForeground(Qt::black);
    return format;
}

// Every property set: text inserted in this format owes nothing to the
// format of what was there before (the document's bold blue heading).
QTextCharFormat Plain() {
    QTextCharFormat format;
    format.setFontWeight(QFont::Normal);
    format.setFontUnderline(false);
    format.setForeground(Qt::black);
    return format;
}

QString ImageLine(const ImageEntry& image) {
    const std::string colour = image.type == "stencil" ? "stencil mask" : image.colourSpace;
    const std::string ppi = std::lround(image.ppiX) == std::lround(image.ppiY)
                                ? FormatText("%ld ppi", std::lround(image.ppiX))
                                : FormatText("%ld x %ld ppi", std::lround(image.ppiX), std::lround(image.ppiY));
    return QString::fromStdString(FormatText("\tPage %d: %d x %d, %s, %s, %s\n", image.page, image.width,
                                             image.height, colour.c_str(), image.encoding.c_str(), ppi.c_str()));
}

} // namespace

void CContextRichEdit::ShowImagesReading() {
    QTextCursor cursor(text_->document());
    cursor.movePosition(QTextCursor::End);
    if (!text_->toPlainText().endsWith('\n'))
        cursor.insertText("\n", Plain()); // the summary's last line ends here
    imagesStart_ = cursor.position();
    cursor.insertText(QString::fromStdString(ResourceString("summary.images")) + "\n", Heading());
    cursor.insertText("\t" + QString::fromStdString(ResourceString("summary.images_reading")) + "\n", Plain());
}

QTextCursor CContextRichEdit::ImagesBlock() {
    QTextCursor cursor(text_->document());
    cursor.setPosition(imagesStart_);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    return cursor;
}

void CContextRichEdit::ShowImagesUnlisted() {
    if (imagesStart_ < 0)
        return;
    QTextCursor cursor = ImagesBlock();
    cursor.insertText(QString::fromStdString(ResourceString("summary.images")) + "\n", Heading());
    cursor.insertText("\t" + QString::fromStdString(ResourceString("summary.images_unlisted")) + "\n", Plain());
}

void CContextRichEdit::ShowImageList(const std::vector<ImageEntry>& images) {
    if (imagesStart_ < 0)
        return;
    QTextCursor cursor = ImagesBlock();
    // An image's mask is part of it: only the images are counted and listed.
    std::vector<const ImageEntry*> shown;
    for (const ImageEntry& image : images)
        if (image.type == "image" || image.type == "stencil")
            shown.push_back(&image);
    cursor.insertText(QString::fromStdString(ResourceString("summary.images")) + " " + QString::number(shown.size()) +
                          "\n",
                      Heading());
    QString lines;
    for (const ImageEntry* image : shown)
        lines += ImageLine(*image);
    cursor.insertText(lines, Plain());
}

void CContextRichEdit::ShowText(const std::string& text) {
    Clear();
    QTextCursor(text_->document()).insertText(QString::fromLocal8Bit(text.c_str()), Plain());
}

void CContextRichEdit::Clear() {
    imagesStart_ = -1;
    text_->clear();
}

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
