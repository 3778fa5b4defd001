#include "shell/job_list.h"
#include "shell/program_resources.h"

#include "shell/file_list_grid.h"
#include "engine/settings/text_format.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"
#include "platform/ui/ui_services.h"

#include <algorithm>
#include <cctype>

namespace {

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

// A run's messages come from its worker thread; a message box belongs to the
// user-interface thread, whichever services show it.
void DialogMessages::ShowMessage(const std::string& text) {
    CallOnUiThread([&] { Services().MessageBox(owner_, text, "Vellumin", MB_OK); });
}

void DialogMessages::ShowError(const std::string& text) {
    CallOnUiThread([&] { Services().MessageBox(owner_, text, "Vellumin", MB_OK | MB_ICONERROR); });
}

CJobList::CJobList(CDataGrid& grid, QWidget* owner) : grid_(grid), owner_(owner), messages_(owner) {}

void CJobList::SetUpGrid() { SetUpFileListGrid(grid_); }

bool CJobList::IsAlreadyListed(const std::string& path) { return jobs_.IsAlreadyListed(path, messages_); }

void CJobList::AddJob(const std::string& path) {
    if (!jobs_.AddIfNew(path, messages_))
        return;
    AddRow(path);
    if (onAdded)
        onAdded(path);
}

void CJobList::AddRow(const std::string& path) {
    const platform::FilePathInfo info(path);
    const std::string size = FormatThousands(info.FileSize() / 1024) + ResourceString("list.size_unit");
    const auto created = info.CreationTime();
    AddFileListEntry(grid_, info.FileName(), size, created ? FormatLocalTime(*created) : "");
    grid_.Refresh();
}

void CJobList::OpenFile() {
    const std::vector<std::string> chosen = Services().OpenFileDialog(owner_, ResourceString("list.filter"), openFolder);
    if (chosen.empty())
        return;
    openFolder = platform::FilePathInfo(chosen.front()).Folder();
    if (onResetBars)
        onResetBars();
    for (const std::string& path : chosen)
        if (HasPdfExtension(platform::FilePathInfo(path).FileName()) && !IsAlreadyListed(path))
            AddJob(path);
}

void CJobList::ImportDirectoryCommand() {
    const std::string folder =
        Services().FolderDialog(owner_, ResourceString("list.select_folder"), importFolder, ResourceString("list.filter"));
    if (folder.empty())
        return;
    importFolder = folder;
    if (onResetBars)
        onResetBars();
    ImportDirectory(folder);
}

void CJobList::ImportDirectory(const std::string& dir) {
    const size_t before = jobs_.Paths().size();
    jobs_.ImportDirectory(dir, messages_);
    for (size_t i = before; i < jobs_.Paths().size(); ++i)
        AddRow(jobs_.Paths()[i]);
}

void CJobList::Drop(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (platform::DirectoryExists(path)) {
            ImportDirectory(path); // as Import Directory does, subfolders included
            continue;
        }
        const std::string last = path.size() >= 3 ? LowerCase(path.substr(path.size() - 3)) : "";
        if (last == "pdf" && !IsAlreadyListed(path))
            AddJob(path);
    }
}

bool CJobList::IsChecked(int row) const {
    const auto* check = dynamic_cast<const CGridCellCheck*>(grid_.GetCell(row, 0));
    return check && check->GetCheck();
}

std::vector<JobEntry> CJobList::CheckedEntries() const {
    std::vector<JobEntry> entries;
    for (int row = 1; row < grid_.GetRowCount(); ++row)
        if (IsChecked(row))
            entries.push_back({jobs_.Paths()[static_cast<size_t>(row - 1)], grid_.GetItemText(row, 4),
                               grid_.GetItemText(row, 5)});
    return entries;
}

void CJobList::SetChecks(const std::function<bool(bool)>& change) {
    for (int row = 1; row < grid_.GetRowCount(); ++row)
        if (auto* check = dynamic_cast<CGridCellCheck*>(grid_.GetCell(row, 0)))
            check->SetCheck(change(check->GetCheck()));
    grid_.Refresh();
}

int CJobList::SelectedEntryRow() const {
    const CGridCellRange range = grid_.GetSelectedCellRange();
    return grid_.IsValid(range) && range.maxRow >= 1 ? range.maxRow : -1;
}

void CJobList::RemoveSelected() {
    const CGridCellRange range = grid_.GetSelectedCellRange();
    if (!grid_.IsValid(range))
        return;
    // Deleting a row clears the grid's selection, so the rows go on a list first.
    std::vector<int> selectedRows;
    for (int row = std::max(range.minRow, 1); row <= range.maxRow; ++row)
        if (grid_.IsCellSelected(row, 0))
            selectedRows.push_back(row);
    // From the bottom up, so that the rows still to remove keep their numbers.
    for (auto row = selectedRows.rbegin(); row != selectedRows.rend(); ++row) {
        grid_.DeleteRow(*row);
        jobs_.RemoveAt(static_cast<size_t>(*row - 1));
    }
    grid_.Refresh();
    if (onClearSummary)
        onClearSummary();
}

void CJobList::RemoveAll() {
    jobs_.Clear();
    SetUpGrid();
    if (onClearSummary)
        onClearSummary();
}

void CJobList::SelectCurrentItem() {
    const int row = SelectedEntryRow();
    if (row < 1)
        return;
    if (auto* check = dynamic_cast<CGridCellCheck*>(grid_.GetCell(row, 0)))
        check->SetCheck(true);
}

void CJobList::OpenFileDirectory() {
    const int row = SelectedEntryRow();
    if (row >= 1)
        Services().OpenWithDesktop(platform::FilePathInfo(jobs_.Paths()[static_cast<size_t>(row - 1)]).Folder());
}

void CJobList::OpenWithAssociatedApp() {
    const int row = SelectedEntryRow();
    if (row >= 1)
        Services().OpenWithDesktop(jobs_.Paths()[static_cast<size_t>(row - 1)]);
}
