#include "shell/file_list_form.h"

#include "controls/grid/grid_inplace_edit.h"
#include "platform/ui/dc.h"
#include "platform/ui/dialog_metrics.h"
#include "platform/ui/paint_dc.h"
#include "platform/ui/input_state.h"
#include "platform/ui/system_metrics.h"
#include "platform/ui/ui_services.h"
#include "shell/commands.h"
#include "shell/editor_keys.h"
#include "shell/file_list_grid.h"
#include "shell/form_icons.h"
#include "shell/program_resources.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QTextEdit>
#include <algorithm>

namespace {

constexpr COLORREF kBand = RGB(227, 246, 253);
constexpr UINT kGridId = 1021;

struct ButtonSpec {
    unsigned id;
    int icon;
    const char* tooltip; // the string table's key
};
constexpr ButtonSpec kButtons[] = {
    {ID_OPEN_FILE, 155, "button.open_file"},
    {ID_IMPORT_DIRECTORY, 156, "button.open_directory"},
    {ID_REMOVE_SELECTED, 157, "button.remove_selected"},
    {ID_CLEAR_ALL_SELECTED, 158, "button.clear_selected"},
    {ID_START_CONVERT, 162, "button.start"},
    {ID_STOP_CONVERT, 161, "button.stop"},
};

} // namespace

CFileListForm::CFileListForm(ConvertSettings& settings, CRightView* options)
    : settings_(settings), options_(options), jobs_(grid_, this), summary_(this), current_(this), total_(this),
      currentLabel_(this), totalLabel_(this),
      run_(jobs_, settings,
           CBatchRun::Controls{&current_, &total_, [this](bool on) { EnableRunButtons(on); },
                               [this] {
                                   if (options_)
                                       options_->ReadOptionsFromTree();
                               },
                               [this](const std::string& report) {
                                   ++imageListNumber_; // the report takes the panel
                                   summary_.ShowText(report);
                               }},
           this) {
    grid_.Create(RECT{0, 0, 10, 10}, this, kGridId, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP);
    summary_.SetDlgCtrlID(1004);
    current_.SetDlgCtrlID(1006);
    total_.SetDlgCtrlID(1007);
    currentLabel_.SetDlgCtrlID(1008);
    totalLabel_.SetDlgCtrlID(1009);
    currentLabel_.SetWindowText(ResourceString("bar.current"));
    totalLabel_.SetWindowText(ResourceString("bar.total"));
    // The labels read as the rest of the form: in the dialog font.
    const QFont dialogFont = DialogMetrics::DialogFont();
    for (CLabelStatic* label : {&currentLabel_, &totalLabel_}) {
        label->SetFontName(dialogFont.family().toStdString());
        label->SetFontSize(-QFontInfo(dialogFont).pixelSize());
    }
    for (const ButtonSpec& spec : kButtons) {
        auto button = std::make_unique<CIconButton>(this);
        button->SetDlgCtrlID(spec.id);
        button->SetIcon(FormIcon(spec.icon), ICON_SECOND_DARKER);
        button->SetTooltipText(ResourceString(spec.tooltip), true);
        button->DrawTransparent(false);
        button->setFocusPolicy(Qt::TabFocus);
        buttons_.push_back(std::move(button));
    }
    // Tab goes from the list through the buttons to the summary.
    QWidget* previous = &grid_;
    for (const auto& button : buttons_) {
        QWidget::setTabOrder(previous, button.get());
        previous = button.get();
    }
    QWidget::setTabOrder(previous, summary_.TextEdit());
    ResetBars();
    jobs_.SetUpGrid();
    jobs_.onResetBars = [this] { ResetBars(); };
    jobs_.onClearSummary = [this] { ClearSummary(); };
    AddCommands();
    DragAcceptFiles(true);
    qApp->installEventFilter(this); // the form's keys, wherever the focus is inside it
}

CFileListForm::~CFileListForm() {
    qApp->removeEventFilter(this);
    run_.StopAndWait();
    DestroyWindow();
}

CIconButton& CFileListForm::Button(unsigned id) {
    for (auto& button : buttons_)
        if (button->GetDlgCtrlID() == id)
            return *button;
    return *buttons_.front();
}

int CFileListForm::WidthForColumns() {
    int columns = 0;
    for (int col = 0; col < grid_.GetColumnCount(); ++col)
        columns += grid_.GetColumnWidth(col);
    return columns + 2 * GetSystemMetrics(SM_CXBORDER) + GetSystemMetrics(SM_CXVSCROLL);
}

void CFileListForm::ResetBars() {
    for (CPercentProgressCtrl* bar : {&current_, &total_}) {
        bar->SetShowText(true);
        bar->SetPos(0);
        bar->SetWindowText(ResourceString("bar.waiting"));
    }
}

void CFileListForm::EnableRunButtons(bool enable) {
    for (unsigned id : {ID_OPEN_FILE, ID_IMPORT_DIRECTORY, ID_REMOVE_SELECTED, ID_CLEAR_ALL_SELECTED, ID_START_CONVERT})
        Button(id).EnableWindow(enable);
}

void CFileListForm::LayOut() {
    const RECT c = GetClientRect();
    const int L = c.left, T = c.top, R = c.right, B = c.bottom, H = B - T;
    grid_.MoveWindow(RECT{L, T, R, T + H / 2 - 44});
    const int topRow = T + H / 2 - 36;
    const int xs[4] = {L + 5, L + 57, L + 109, L + 161};
    const unsigned top[4] = {ID_OPEN_FILE, ID_IMPORT_DIRECTORY, ID_REMOVE_SELECTED, ID_CLEAR_ALL_SELECTED};
    for (int i = 0; i < 4; ++i)
        Button(top[i]).MoveWindow(RECT{xs[i], topRow, xs[i] + 32, topRow + 32});

    // The two bars with their labels, at the bottom: 12 pixels high and 8
    // apart at the reference font, grown with the font so that each holds
    // its text.
    const DialogMetrics metrics = DialogMetrics::OfDialogFont();
    const QFont labelFont = currentLabel_.LabelFont();
    const int labelText = std::max(DialogMetrics::TextWidth(labelFont, currentLabel_.GetWindowText()),
                                   DialogMetrics::TextWidth(labelFont, totalLabel_.GetWindowText()));
    const int lineHeight = std::max(QFontMetrics(labelFont).height(), QFontMetrics(font()).height());
    const int labelWidth = metrics.Width(40, labelText), rowHeight = metrics.Height(12, lineHeight);
    const int totalTop = B - metrics.Y(8) - rowHeight;
    const int currentTop = totalTop - metrics.Y(8) - rowHeight;
    const int labelLeft = L + 89 + metrics.X(8), barLeft = labelLeft + labelWidth + metrics.X(8);
    summary_.MoveWindow(RECT{L, B - H / 2 + 4, R, currentTop - metrics.Y(8)});
    Button(ID_START_CONVERT).MoveWindow(RECT{L + 5, currentTop, L + 37, currentTop + 32});
    Button(ID_STOP_CONVERT).MoveWindow(RECT{L + 57, currentTop, L + 89, currentTop + 32});
    currentLabel_.MoveWindow(RECT{labelLeft, currentTop, labelLeft + labelWidth, currentTop + rowHeight});
    current_.MoveWindow(RECT{barLeft, currentTop, R, currentTop + rowHeight});
    totalLabel_.MoveWindow(RECT{labelLeft, totalTop, labelLeft + labelWidth, totalTop + rowHeight});
    total_.MoveWindow(RECT{barLeft, totalTop, R, totalTop + rowHeight});
}

void CFileListForm::AddCommands() {
    const auto idle = [this] { return !run_.IsConverting(); };
    const auto idleWithEntries = [this] { return grid_.GetRowCount() > 1 && !run_.IsConverting(); };
    const auto withEntries = [this] { return grid_.GetRowCount() > 1; };
    commands_.Add(ID_OPEN_FILE, [this] { jobs_.OpenFile(); }, idle);
    commands_.Add(ID_IMPORT_DIRECTORY, [this] { jobs_.ImportDirectoryCommand(); }, idle);
    commands_.Add(ID_OPEN_FILE_DIRECTORY, [this] { jobs_.OpenFileDirectory(); }, withEntries);
    commands_.Add(ID_OPEN_WITH_APP, [this] { jobs_.OpenWithAssociatedApp(); }, withEntries);
    commands_.Add(ID_REMOVE_ALL, [this] { jobs_.RemoveAll(); }, idleWithEntries);
    commands_.Add(ID_REMOVE_SELECTED, [this] { jobs_.RemoveSelected(); }, idleWithEntries);
    commands_.Add(ID_SELECT_CURRENT, [this] { jobs_.SelectCurrentItem(); }, idleWithEntries);
    commands_.Add(ID_CLEAR_ALL_SELECTED, [this] { jobs_.ClearAllSelected(); }, idleWithEntries);
    commands_.Add(ID_INVERT_SELECT, [this] { jobs_.InvertSelect(); }, idleWithEntries);
    commands_.Add(ID_SELECT_ALL_ITEMS, [this] { jobs_.SelectAllItems(); }, idleWithEntries);
    commands_.Add(ID_START_CONVERT, [this] { StartConvert(); }, idleWithEntries);
    commands_.Add(ID_STOP_CONVERT, [this] { run_.StopConvert(); }, withEntries);
}

void CFileListForm::StartConvert() {
    // A password being typed counts, as when Start is clicked and the editor loses the focus.
    if (auto* edit = dynamic_cast<CGridInPlaceEdit*>(CWnd::WindowOf(QApplication::focusWidget())))
        edit->EndEdit();
    grid_.EndEditing();
    if (beforeRun)
        beforeRun();
    // The run has the processors to itself: a read of the images for the
    // summary stops, and starts again after the run unless the run's report
    // took the panel meanwhile.
    const int listNumber = imageListNumber_;
    const bool reading = imageList_.Cancel();
    run_.StartConvert();
    if (reading && listNumber == imageListNumber_)
        StartImageListRead(imageListPath_);
}

bool CFileListForm::IsCommandEnabled(unsigned id) const { return commands_.IsEnabled(id); }

void CFileListForm::OnCommand(unsigned id) {
    const int row = grid_.GetFocusCell().row;
    commands_.Run(id);
    if (ListHasTheFocus())
        GiveTheListACurrentRow(row);
}

void CFileListForm::AddDroppedFiles(const std::vector<std::string>& paths) {
    jobs_.Drop(paths);
    if (ListHasTheFocus())
        GiveTheListACurrentRow();
}

unsigned CFileListForm::CommandForKey(const QKeyEvent& key) {
    static const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        unsigned command;
    } table[] = {
        {Qt::Key_O, Qt::ControlModifier, ID_OPEN_FILE},          {Qt::Key_E, Qt::ControlModifier, ID_OPEN_FILE_DIRECTORY},
        {Qt::Key_W, Qt::ControlModifier, ID_OPEN_WITH_APP},      {Qt::Key_D, Qt::ControlModifier, ID_IMPORT_DIRECTORY},
        {Qt::Key_A, Qt::ControlModifier, ID_SELECT_ALL_ITEMS},   {Qt::Key_I, Qt::ControlModifier, ID_INVERT_SELECT},
        {Qt::Key_X, Qt::ControlModifier, ID_CLEAR_ALL_SELECTED}, {Qt::Key_Delete, Qt::ControlModifier, ID_REMOVE_ALL},
        {Qt::Key_Delete, Qt::NoModifier, ID_REMOVE_SELECTED},    {Qt::Key_Space, Qt::NoModifier, ID_SELECT_CURRENT},
        {Qt::Key_F5, Qt::NoModifier, ID_START_CONVERT},          {Qt::Key_F5, Qt::ShiftModifier, ID_STOP_CONVERT},
    };
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    for (const auto& entry : table)
        if (entry.key == key.key() && entry.modifiers == modifiers)
            return entry.command;
    return 0;
}

bool CFileListForm::ListHasTheFocus() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == &grid_ || grid_.isAncestorOf(focus));
}

void CFileListForm::GiveTheListACurrentRow(int nearRow) {
    const int lastRow = grid_.GetRowCount() - 1;
    if (lastRow < 1 || grid_.IsValid(grid_.GetFocusCell()))
        return;
    // As a click on the document would: its row selected, its name the focus cell.
    const int row = std::clamp(nearRow, 1, lastRow);
    grid_.SetFocusCell(row, 1);
    grid_.SetSelectedRange(row, 0, row, grid_.GetColumnCount() - 1);
    grid_.EnsureVisible(row, 1);
    grid_.Invalidate();
}

void CFileListForm::AimEditingAtThePassword(const QKeyEvent& key) {
    const bool typed = !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !key.text().isEmpty() &&
                       key.text().at(0).isPrint() && key.key() != Qt::Key_Space;
    if (!typed && !(key.key() == Qt::Key_F2 && key.modifiers() == Qt::NoModifier))
        return;
    const CGridCellRef focus = grid_.GetFocusCell();
    if (grid_.IsValid(focus) && focus.row >= 1 && !grid_.IsCellEditable(focus.row, focus.col))
        grid_.SetFocusCell(focus.row, kOwnerPasswordColumn); // the grid's own key handling then edits it
}

bool CFileListForm::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::FocusIn && widget && (widget == &grid_ || grid_.isAncestorOf(widget)))
        GiveTheListACurrentRow(grid_.GetFocusCell().row);
    if (event->type() != QEvent::KeyPress)
        return false;
    if (!widget || !isAncestorOf(widget) || widget != QApplication::focusWidget())
        return false;
    const auto& key = *static_cast<QKeyEvent*>(event);
    // Tab leaves the list (the grid would go from cell to cell).
    if ((widget == &grid_ || grid_.isAncestorOf(widget)) && !FocusTakesKey(widget, key) && TabLeaves(&grid_, key))
        return true;
    if (widget == &grid_ || widget == grid_.ClientWidget())
        AimEditingAtThePassword(key);
    // A button with the focus is pressed by Space or Return.
    const bool press = key.modifiers() == Qt::NoModifier &&
                       (key.key() == Qt::Key_Space || key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter);
    for (const auto& button : buttons_)
        if (press && widget == button.get()) {
            OnCommand(button->GetDlgCtrlID());
            return true;
        }
    const unsigned command = CommandForKey(key);
    // An editor (a cell's password, the summary's text) keeps its own keys.
    if (!command || FocusTakesKey(widget, key))
        return false;
    // The key is spent on its command, greyed or not: the grid's own keys do not run as well.
    OnCommand(command);
    return true;
}

void CFileListForm::ShowSummary(int row, int col) {
    if (grid_.GetRowCount() < 2)
        return;
    const CGridCellRange range = grid_.GetSelectedCellRange();
    if (!grid_.IsValid(range) || !range.InRange(row, col) || range.maxRow < 1)
        return;
    DialogMessages messages(this);
    const std::string& path = jobs_.Paths()[static_cast<size_t>(range.maxRow - 1)];
    const DocumentSummary summary = BuildDocumentSummary(path, messages);
    ClearSummary();
    summary_.ShowSummary(summary);
    if (summary.pageCount <= 0)
        return;
    ReadImageList(path);
    if (!options_)
        return;
    // With "All Pages", End Page shows the document's page count.
    auto* pageRange = dynamic_cast<CChoiceTreeItemComboBox*>(options_->Tree().FindItem(CRightView::kPageRange));
    auto* endPage = dynamic_cast<CChoiceTreeItemSpinner*>(options_->Tree().FindItem(CRightView::kEndPage));
    if (pageRange && endPage && pageRange->GetWindow() && pageRange->GetWindow()->GetCurSel() == 0) {
        endPage->SetEditInt(summary.pageCount);
        options_->Tree().UpdatedItems(endPage);
    }
}

void CFileListForm::ClearSummary() {
    imageList_.Cancel();
    ++imageListNumber_;
    summary_.Clear();
}

void CFileListForm::ReadImageList(const std::string& path) {
    summary_.ShowImagesReading();
    StartImageListRead(path);
}

void CFileListForm::StartImageListRead(const std::string& path) {
    imageListPath_ = path;
    const int number = ++imageListNumber_;
    imageList_.Start(path, [this, number](bool listed, std::vector<ImageEntry> images) {
        // Shown on the user-interface thread, unless another click came first;
        // the panel's widget takes the call, so none comes once it is gone.
        QMetaObject::invokeMethod(
            summary_.TextEdit(),
            [this, number, listed, images = std::move(images)] {
                if (number == imageListNumber_ && listed)
                    summary_.ShowImageList(images);
                else if (number == imageListNumber_)
                    summary_.ShowImagesUnlisted();
            },
            Qt::QueuedConnection);
    });
}

void CFileListForm::ShowContextMenu(POINT screen) {
    POINT at = screen;
    ScreenToClient(&at);
    const RECT gridClient = grid_.GetClientRect();
    if (at.x < 0 || at.y < 0 || at.x >= gridClient.right || at.y >= gridClient.bottom || grid_.GetRowCount() < 2)
        return;
    // Menu 137, its items enabled as their commands are.
    std::vector<PopupMenuEntry> menu = LoadMenu(137).front().items;
    for (PopupMenuEntry& entry : menu)
        entry.enabled = commands_.IsEnabled(entry.command);
    activateWindow();
    if (const unsigned command = Services().TrackPopupMenu(this, menu, screen.x, screen.y))
        OnCommand(command);
}

LRESULT CFileListForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        reinterpret_cast<CDC*>(wParam)->FillSolidRect(GetClientRect(), kBand);
        return 1;
    case WM_PAINT: {
        CPaintDC dc(this);
        dc.FillSolidRect(GetClientRect(), kBand);
        return 0;
    }
    case WM_SIZE:
        LayOut();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) != kGridId)
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto* notify = reinterpret_cast<const GRID_NOTIFY*>(lParam);
        if (notify->hdr.idFrom == kGridId && notify->hdr.code == NM_CLICK)
            ShowSummary(notify->iRow, notify->iColumn);
        return 0;
    }
    case WM_CONTEXTMENU:
        if (lParam != -1)
            ShowContextMenu(PointFromParam(static_cast<uintptr_t>(lParam)));
        return 0;
    case WM_DROPFILES:
        AddDroppedFiles(DroppedFiles(wParam));
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
