#include "platform/ui/std_controls.h"

#include "platform/ui/ui_services.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

std::string ToLocal(const QString& text) { return text.toLocal8Bit().toStdString(); }
QString FromLocal(LPARAM text) { return QString::fromLocal8Bit(text ? reinterpret_cast<const char*>(text) : ""); }

} // namespace

CEdit::CEdit(QWidget* parent) : CWnd(parent), edit_(new QLineEdit) {
    edit_->setFrame(false); // the window's own border frames it
    HostControl(edit_);
    QObject::connect(edit_, &QLineEdit::textChanged, edit_, [this] {
        if (CWnd* parent = GetParent())
            parent->SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELPARAM(GetDlgCtrlID(), EN_CHANGE)),
                                reinterpret_cast<LPARAM>(this));
    });
}

std::pair<int, int> CEdit::GetSel() {
    const auto packed = static_cast<uintptr_t>(SendMessage(EM_GETSEL));
    return {LOWORD(packed), HIWORD(packed)};
}

bool CEdit::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const int length = static_cast<int>(edit_->text().size());
    *result = 0;
    switch (message) {
    case WM_CREATE: {
        const uint32_t style = GetStyle();
        edit_->setAlignment((style & ES_RIGHT) ? Qt::AlignRight : (style & ES_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft);
        return false;
    }
    case WM_CHAR:
        // The clipboard keys go through the desktop services, as the commands do.
        switch (wParam) {
        case 0x03: *result = SendMessage(WM_COPY); return true;
        case 0x16: *result = SendMessage(WM_PASTE); return true;
        case 0x18: *result = SendMessage(WM_CUT); return true;
        case 0x1A: *result = SendMessage(WM_UNDO); return true;
        default: return false;
        }
    case WM_SETTEXT:
        edit_->setText(FromLocal(lParam));
        *result = 1;
        return true;
    case WM_GETTEXT:
        *result = CopyText(ToLocal(edit_->text()), wParam, lParam);
        return true;
    case WM_GETTEXTLENGTH:
        *result = static_cast<LRESULT>(ToLocal(edit_->text()).size());
        return true;
    case EM_GETSEL: {
        const int start = edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition();
        const int end = edit_->hasSelectedText() ? edit_->selectionEnd() : edit_->cursorPosition();
        if (wParam)
            *reinterpret_cast<uint32_t*>(wParam) = static_cast<uint32_t>(start);
        if (lParam)
            *reinterpret_cast<uint32_t*>(lParam) = static_cast<uint32_t>(end);
        *result = MAKELPARAM(start, end);
        return true;
    }
    case EM_SETSEL: {
        // (0, -1) selects everything; a start of -1 removes the selection.
        const int start = static_cast<int>(static_cast<intptr_t>(wParam));
        int end = static_cast<int>(lParam);
        if (start < 0) {
            edit_->deselect();
            return true;
        }
        if (end < 0 || end > length)
            end = length;
        const int from = std::min(start, length);
        edit_->setSelection(from, end - from); // a negative length selects backwards, the caret at end
        if (from == end)
            edit_->setCursorPosition(end);
        return true;
    }
    case EM_SCROLLCARET:
        *result = 1; // the line edit keeps its caret in view
        return true;
    case EM_CANUNDO:
        *result = edit_->isUndoAvailable() ? 1 : 0;
        return true;
    case WM_UNDO:
        edit_->undo();
        *result = 1;
        return true;
    case WM_CUT:
    case WM_COPY:
        if (edit_->hasSelectedText()) {
            Services().SetClipboardText(ToLocal(edit_->selectedText()));
            if (message == WM_CUT && !edit_->isReadOnly())
                edit_->del();
        }
        return true;
    case WM_PASTE:
        if (!edit_->isReadOnly())
            edit_->insert(QString::fromLocal8Bit(Services().GetClipboardText().c_str()));
        return true;
    case WM_CLEAR:
        if (!edit_->isReadOnly())
            edit_->del();
        return true;
    default:
        return false;
    }
}

CComboBox::CComboBox(QWidget* parent) : CWnd(parent), combo_(new QComboBox) {
    HostControl(combo_);
    QObject::connect(combo_, qOverload<int>(&QComboBox::currentIndexChanged), combo_, [this] {
        if (selecting_)
            return; // CB_SETCURSEL does not notify
        if (CWnd* parent = GetParent())
            parent->SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELPARAM(GetDlgCtrlID(), CBN_SELCHANGE)),
                                reinterpret_cast<LPARAM>(this));
    });
}

bool CComboBox::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = 0;
    switch (message) {
    case WM_SIZE: {
        // The window is as tall as its selection field; the rest of the
        // height asked for is room for the dropped list.
        const int field = fieldHeight_ > 0 ? fieldHeight_ : combo_->sizeHint().height();
        const int asked = HIWORD(static_cast<uintptr_t>(lParam));
        if (asked > field) {
            const int rowHeight = std::max(combo_->fontMetrics().height(), 1);
            combo_->setMaxVisibleItems(std::max(1, (asked - field) / rowHeight));
            resize(width(), field);
        }
        return false;
    }
    case CB_ADDSTRING:
        combo_->addItem(FromLocal(lParam));
        *result = combo_->count() - 1;
        return true;
    case CB_GETCOUNT:
        *result = combo_->count();
        return true;
    case CB_GETCURSEL:
        *result = combo_->currentIndex();
        return true;
    case CB_SETCURSEL: {
        const int index = static_cast<int>(static_cast<intptr_t>(wParam));
        selecting_ = true;
        combo_->setCurrentIndex(index >= 0 && index < combo_->count() ? index : -1);
        selecting_ = false;
        *result = index >= 0 && index < combo_->count() ? LRESULT(index) : LRESULT(CB_ERR);
        return true;
    }
    case CB_GETLBTEXT: {
        const int index = static_cast<int>(static_cast<intptr_t>(wParam));
        if (index < 0 || index >= combo_->count()) {
            *result = CB_ERR;
            return true;
        }
        const std::string text = ToLocal(combo_->itemText(index));
        *result = CopyText(text, text.size() + 1, lParam);
        return true;
    }
    case CB_SETITEMHEIGHT:
        // A wParam of -1 sets the selection field's height.
        if (static_cast<intptr_t>(wParam) != -1 || lParam <= 0) {
            *result = CB_ERR;
            return true;
        }
        fieldHeight_ = static_cast<int>(lParam);
        combo_->setFixedHeight(fieldHeight_);
        return true;
    case CB_RESETCONTENT:
        combo_->clear();
        return true;
    case CB_SHOWDROPDOWN:
        if (wParam)
            combo_->showPopup();
        else
            combo_->hidePopup();
        *result = 1;
        return true;
    case WM_GETTEXT:
        *result = CopyText(ToLocal(combo_->currentText()), wParam, lParam);
        return true;
    case WM_GETTEXTLENGTH:
        *result = static_cast<LRESULT>(ToLocal(combo_->currentText()).size());
        return true;
    default:
        return false;
    }
}
