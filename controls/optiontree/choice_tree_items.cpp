#include "controls/optiontree/choice_tree_items.h"

#include "platform/ui/input_state.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/system_colors.h"
#include "platform/ui/system_metrics.h"
#include "platform/ui/ui_services.h"

#include <QComboBox>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr int kDropRoom = 100; // the dropped list's room below a combo box's field
constexpr uintptr_t kRepeatTimer = 1000;
constexpr UINT kSpinEditId = 1000;

CChoiceTree* TreeWindow(CChoiceTreeItem* item) { return dynamic_cast<CChoiceTree*>(item->GetTree()); }

// The value text of an item, as every kind draws it.
void DrawValueText(CChoiceTreeItem* item, CDC* dc, const RECT& rect, const std::string& text, UINT format) {
    CChoiceTree* tree = TreeWindow(item);
    const bool grey = item->IsReadOnly() || (tree && !tree->isEnabled());
    dc->SelectFont(CChoiceTree::NormalFont());
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(grey ? GetSysColor(COLOR_GRAYTEXT) : item->GetValueTextColor());
    RECT area = rect;
    dc->DrawText(text, area, format | DT_NOPREFIX);
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

// ---- what the kinds with an editor share

void CChoiceTreeEditorItem::Place(bool opened) {
    if (!editor_)
        return;
    const RECT& cell = GetAttributeRect();
    editor_->MoveWindow(RECT{cell.left, cell.top, cell.right, cell.top + EditorHeight(opened)});
    if (opened)
        editor_->ShowWindow(true);
}

void CChoiceTreeEditorItem::DrawAttribute(CDC* dc, const RECT& rect) {
    if (hasFocus_ || !TreeWindow(this) || !editor_)
        return;
    editor_->ShowWindow(false);
    Place(false);
    DrawValueText(this, dc, rect, GetValueText(), DT_LEFT | DT_SINGLELINE | DT_VCENTER);
}

void CChoiceTreeEditorItem::OnActivate() {
    if (!editor_)
        return;
    Place(true);
    editor_->SetFocus();
}

void CChoiceTreeEditorItem::OnLayoutChanged() {
    Place(false);
    if (editor_ && !hasFocus_)
        editor_->ShowWindow(false);
}

void CChoiceTreeEditorItem::OnCommit() {
    // The editor goes, whichever way the commit came: the cell draws the value again.
    hasFocus_ = false;
    if (editor_)
        editor_->ShowWindow(false);
}

void CChoiceTreeEditorItem::DestroyEditor() {
    if (editor_) {
        editor_->DestroyWindow();
        editor_->deleteLater();
        editor_ = nullptr;
    }
}

// Focus rules of an editor window: the item is being edited while the
// window has the focus, and commits when the focus goes elsewhere in the tree.
static void NoteEditorFocus(CChoiceTreeEditorItem* item, UINT message, WPARAM other, const QWidget* except = nullptr) {
    if (message == WM_SETFOCUS) {
        item->SetHasFocus(true);
        return;
    }
    CChoiceTree* tree = TreeWindow(item);
    QWidget* to = CWnd::FromParam(other);
    if (message == WM_KILLFOCUS && tree && to && to != except && tree->IsChild(to)) {
        item->SetHasFocus(false);
        item->CommitChanges();
    }
}

// ---- drop-down list

// The list window: the item's editor, with its focus rules.
class CChoiceTreeItemComboBox::Window : public CComboBox {
public:
    explicit Window(CChoiceTreeItemComboBox* item) : item_(item) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        NoteEditorFocus(item_, message, wParam);
        // Return keeps the choice, Escape takes it back; both close the editor.
        if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
            item_->CloseEditor(wParam == VK_RETURN);
            return 0;
        }
        return CComboBox::WindowProc(message, wParam, lParam);
    }

private:
    CChoiceTreeItemComboBox* item_;
};

CComboBox* CChoiceTreeItemComboBox::GetWindow() { return static_cast<CComboBox*>(editor_); }

void CChoiceTreeItemComboBox::OnActivate() {
    if (editor_)
        choiceBefore_ = GetWindow()->GetCurSel();
    CChoiceTreeEditorItem::OnActivate();
}

void CChoiceTreeItemComboBox::CloseEditor(bool keep) {
    if (!editor_)
        return;
    if (!keep)
        GetWindow()->SetCurSel(choiceBefore_);
    // The list takes the focus back, as it had it before the editor opened;
    // the commit tells the owner, whose dependent rows follow.
    if (CChoiceTree* tree = TreeWindow(this))
        tree->GetListWindow()->SetFocus();
    CommitChanges();
}

std::string CChoiceTreeItemComboBox::GetValueText() const {
    return editor_ ? editor_->GetWindowText() : std::string();
}

int CChoiceTreeItemComboBox::EditorHeight(bool opened) const {
    return GetAttributeRect().Height() + 1 + (opened ? kDropRoom : 0);
}

bool CChoiceTreeItemComboBox::CreateComboItem(uint32_t extraStyle) {
    CChoiceTree* tree = TreeWindow(this);
    if (!tree || editor_)
        return false;
    auto* combo = new Window(this);
    // No scroll-bar style: here it would show a bar beside the cell, not in the drop-down list.
    if (!combo->Create(WS_CHILD | WS_VISIBLE | extraStyle, GetAttributeRect(), tree->GetListWindow(),
                       GetItemID())) {
        delete combo;
        return false;
    }
    combo->ComboBox()->setFont(CChoiceTree::NormalFont());
    combo->SendMessage(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), GetTree()->GetRowHeight());
    combo->ShowWindow(false);
    editor_ = combo;
    return true;
}

// ---- spinner

CChoiceTreeSpinnerButton* CChoiceTreeItemSpinner::GetWindow() const {
    return static_cast<CChoiceTreeSpinnerButton*>(editor_);
}

bool CChoiceTreeItemSpinner::CreateSpinnerItem(UINT options, double value, double lower, double upper) {
    CChoiceTree* tree = TreeWindow(this);
    if (!tree || editor_)
        return false;
    auto* button = new CChoiceTreeSpinnerButton(this, tree);
    if (!button->CreateButton(GetAttributeRect(), tree->GetListWindow(), GetItemID(), options, lower, upper)) {
        delete button;
        return false;
    }
    editor_ = button;
    SetEditDouble(value);
    button->ShowWindow(false);
    return true;
}

std::string CChoiceTreeItemSpinner::GetEditText() const {
    return editor_ ? GetWindow()->Edit().GetWindowText() : std::string();
}

bool CChoiceTreeItemSpinner::GetEditInt(int* value) const {
    *value = editor_ ? std::atoi(GetEditText().c_str()) : 0;
    return editor_ != nullptr;
}

bool CChoiceTreeItemSpinner::GetEditDouble(double* value) const {
    *value = editor_ ? std::atof(GetEditText().c_str()) : 0.0;
    return editor_ != nullptr;
}

void CChoiceTreeItemSpinner::SetEditInt(int value) {
    if (editor_)
        GetWindow()->Edit().SetWindowText(std::to_string(value));
}

void CChoiceTreeItemSpinner::SetEditDouble(double value) {
    if (editor_)
        GetWindow()->Edit().SetWindowText(Format("%.0f", value));
}

CChoiceTreeSpinnerButton::CChoiceTreeSpinnerButton(CChoiceTreeItemSpinner* item, CChoiceTreeModel* tree)
    : item_(item), tree_(tree), edit_(this) {}

bool CChoiceTreeSpinnerButton::CreateButton(const RECT& rect, CWnd* parent, UINT id, UINT options, double lower,
                                            double upper) {
    if (!Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect, parent, id))
        return false;
    options_ = options;
    lower_ = lower;
    upper_ = upper;
    const RECT client = GetClientRect();
    edit_.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, RECT{0, 0, client.right - 17, client.bottom},
                 this, kSpinEditId, WS_EX_CLIENTEDGE);
    edit_.SetSel(0, 0);
    edit_.LineEdit()->setFont(CChoiceTree::NormalFont());
    edit_.LineEdit()->setReadOnly(!(options & CT_SPIN_EDITABLE));
    setFocusProxy(&edit_);
    int delay = 1, speed = 31;
    delay_ = SystemParametersInfo(SPI_GETKEYBOARDDELAY, 0, &delay) ? (delay + 1) * 250 : 500;
    interval_ = SystemParametersInfo(SPI_GETKEYBOARDSPEED, 0, &speed) ? 400 - 12 * speed : 200;
    return true;
}

RECT CChoiceTreeSpinnerButton::UpButton() const {
    const RECT c = const_cast<CChoiceTreeSpinnerButton*>(this)->GetClientRect();
    return RECT{c.right - 17, 0, c.right - 2, c.bottom / 2};
}

RECT CChoiceTreeSpinnerButton::DownButton() const {
    const RECT c = const_cast<CChoiceTreeSpinnerButton*>(this)->GetClientRect();
    return RECT{c.right - 17, c.bottom / 2, c.right - 2, c.bottom};
}

void CChoiceTreeSpinnerButton::Step(int direction) {
    const double value = std::atof(edit_.GetWindowText().c_str());
    const bool wrap = options_ & CT_SPIN_WRAP;
    double next = value;
    if (direction > 0)
        next = value + 1 > upper_ ? (wrap ? lower_ : value) : value + 1;
    else
        next = value - 1 >= lower_ ? value - 1 : (wrap ? upper_ : value);
    if (next != value)
        edit_.SetWindowText(Format("%.0f", next));
    Invalidate(false);
}

void CChoiceTreeSpinnerButton::StepUp() { Step(1); }
void CChoiceTreeSpinnerButton::StepDown() { Step(-1); }

void CChoiceTreeSpinnerButton::Commit() {
    item_->SetHasFocus(false);
    item_->CommitChanges();
}

void CChoiceTreeSpinnerButton::Paint() {
    CPaintDC paint(this);
    CMemDC dc(paint.Painter(), paint.ClipBox());
    dc.FillSolidRect(GetClientRect(), GetSysColor(COLOR_BTNFACE));
    const double value = std::atof(edit_.GetWindowText().c_str());
    const bool wrap = options_ & CT_SPIN_WRAP;
    const bool upInactive = !wrap && value >= upper_, downInactive = !wrap && value <= lower_;
    dc.DrawFrameControl(UpButton(), DFC_SCROLL,
                        DFCS_SCROLLUP | (upInactive ? UINT(DFCS_INACTIVE) : upPressed_ ? UINT(DFCS_PUSHED) : 0u));
    dc.DrawFrameControl(DownButton(), DFC_SCROLL,
                        DFCS_SCROLLDOWN | (downInactive ? UINT(DFCS_INACTIVE) : downPressed_ ? UINT(DFCS_PUSHED) : 0u));
}

LRESULT CChoiceTreeSpinnerButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
    case WM_MOVE: {
        const RECT client = GetClientRect();
        edit_.MoveWindow(RECT{0, 0, client.right - 17, client.bottom});
        return CWnd::WindowProc(message, wParam, lParam);
    }
    case WM_LBUTTONDOWN: {
        const POINT at = PointFromParam(static_cast<uintptr_t>(lParam));
        pressed_ = at;
        upPressed_ = UpButton().PtInRect(at);
        downPressed_ = DownButton().PtInRect(at);
        if (upPressed_)
            StepUp();
        else if (downPressed_)
            StepDown();
        SetTimer(kRepeatTimer, delay_);
        firstRepeat_ = true;
        Invalidate(false);
        return 0;
    }
    case WM_TIMER:
        if (wParam != kRepeatTimer)
            break;
        if (firstRepeat_) {
            SetTimer(kRepeatTimer, interval_);
            firstRepeat_ = false;
        }
        if (UpButton().PtInRect(pressed_))
            StepUp();
        else if (DownButton().PtInRect(pressed_))
            StepDown();
        return 0;
    case WM_LBUTTONUP:
        KillTimer(kRepeatTimer);
        upPressed_ = downPressed_ = false;
        Invalidate(false);
        return 0;
    case CTM_SPIN_REFRESH:
        Invalidate(false);
        return 0;
    case CTM_SPIN_UP:
        StepUp();
        return 0;
    case CTM_SPIN_DOWN:
        StepDown();
        return 0;
    case CTM_SPIN_COMMIT:
        Commit();
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        NoteEditorFocus(item_, message, wParam, &edit_);
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE)
            PostMessage(CTM_SPIN_REFRESH);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CChoiceTreeSpinnerEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        button_->FocusEntered();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_UP)
            button_->SendMessage(CTM_SPIN_UP);
        else if (wParam == VK_DOWN)
            button_->SendMessage(CTM_SPIN_DOWN);
        break;
    case WM_CHAR:
        if (!(button_->Options() & CT_SPIN_EDITABLE))
            return 0;
        break;
    case WM_KILLFOCUS:
        if (FromParam(wParam) != button_)
            button_->PostMessage(CTM_SPIN_COMMIT);
        break;
    case WM_CONTEXTMENU:
        ShowContextMenu(lParam);
        return 0;
    }
    return CEdit::WindowProc(message, wParam, lParam);
}

void CChoiceTreeSpinnerEdit::ShowContextMenu(LPARAM screenPoint) {
    const bool editable = button_->Options() & CT_SPIN_EDITABLE;
    const auto selection = GetSel();
    const bool selected = selection.first != selection.second;
    const bool paste = editable && !Services().GetClipboardText().empty();
    enum : unsigned { kSelectAll = 1 };
    const std::vector<PopupMenuEntry> entries = {
        {WM_UNDO, "&Undo", editable && SendMessage(EM_CANUNDO) != 0},
        {0, "", true},
        {WM_CUT, "Cu&t", editable && selected},
        {WM_COPY, "&Copy", selected},
        {WM_PASTE, "&Paste", paste},
        {WM_CLEAR, "&Delete", editable && selected},
        {0, "", true},
        {kSelectAll, "Select &All", paste},
    };
    POINT at = PointFromParam(static_cast<uintptr_t>(screenPoint));
    if (screenPoint == -1) {
        at = POINT{0, 0};
        ClientToScreen(&at);
    }
    const unsigned command = Services().TrackPopupMenu(this, entries, at.x, at.y);
    if (!command || !editable)
        return;
    if (command == kSelectAll)
        SetSel(0, -1);
    else
        SendMessage(command);
}

// ---- folder or file chooser

bool CChoiceTreeItemFile::CreateFileItem(const std::string& initialPath, const std::string& extension,
                                         const std::string& filter, UINT options, UINT dialogFlags) {
    if (!GetTree())
        return false;
    options_ = options;
    dialogFlags_ = dialogFlags;
    paths_.push_back(initialPath);
    extension_ = extension;
    filter_ = filter;
    defaultHeight_ = GetHeight();
    return true;
}

std::string CChoiceTreeItemFile::DisplayText() const {
    std::string text;
    for (size_t i = 0; i < paths_.size(); ++i) {
        const std::filesystem::path path(paths_[i]);
        std::error_code error;
        const bool exists = std::filesystem::is_regular_file(path, error);
        std::string shown;
        if (options_ & CT_FILE_SHOWFULLPATH)
            shown = paths_[i];
        else if (options_ & CT_FILE_SHOWFILENAME)
            shown = exists ? path.filename().string() : "";
        else if (options_ & CT_FILE_SHOWFILETITLE)
            shown = exists ? path.stem().string() : "";
        else if (options_ & CT_FILE_SHOWEXTENSION)
            shown = exists && path.has_extension() ? path.extension().string().substr(1) : "";
        else if (options_ & (CT_FILE_SHOWDIRECTORY | CT_FILE_SHOWDRIVE))
            shown = path.parent_path().string() + (path.has_parent_path() ? "/" : "");
        text += shown;
        if (i + 1 < paths_.size())
            text += "\n";
    }
    return text.empty() ? "No selection made." : text;
}

void CChoiceTreeItemFile::DrawAttribute(CDC* dc, const RECT& rect) {
    RECT shifted = rect;
    shifted.OffsetRect(1, 1);
    // One path on one line, its middle left out where it is too long so
    // that its end shows (the pointer over it shows it whole); several, a
    // line each.
    const UINT format = paths_.size() > 1 ? UINT(DT_LEFT | DT_WORDBREAK)
                                          : UINT(DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS);
    DrawValueText(this, dc, shifted, DisplayText(), format);
}

void CChoiceTreeItemFile::OnActivate() {
    CChoiceTree* tree = TreeWindow(this);
    if (!tree)
        return;
    std::vector<std::string> chosen;
    if (options_ & CT_FILE_FOLDER) {
        std::string folder = Services().FolderDialog(tree, title_, paths_.empty() ? "" : paths_.front());
        if (folder.empty())
            return; // cancelled: nothing changes
        if (folder.back() != '/')
            folder += '/';
        folder_ = folder;
        chosen.push_back(folder);
    } else {
        chosen = Services().OpenFileDialog(tree, filter_, "");
        if (chosen.empty())
            return;
    }
    paths_ = chosen;
    const int lineHeight = QFontMetrics(CChoiceTree::NormalFont()).height() + 3;
    const int needed = static_cast<int>(paths_.size()) * lineHeight;
    SetTopAlignedLabel(defaultHeight_ < needed);
    SetHeight(defaultHeight_ < needed ? needed + 5 : defaultHeight_);
    tree->RecomputeScrollRange();
    tree->Repaint();
}
