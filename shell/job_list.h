#pragma once
// The job list: the PDF documents gathered for a run, kept in step with the
// file list's grid (row r shows entry r - 1): a check box that marks the
// document for the next run, its name, size and creation date, and its two
// passwords. Documents come from the file dialog, a folder searched
// recursively, or files dropped on the form; a path already listed is
// refused with a message.
#include "controls/grid/data_grid.h"
#include "engine/settings/job_paths.h"

#include <functional>
#include <string>
#include <vector>

// Messages of the desktop program: modal boxes with one OK button, an
// error's with the error icon.
class DialogMessages : public MessageSink {
public:
    explicit DialogMessages(QWidget* owner) : owner_(owner) {}
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;

private:
    QWidget* owner_;
};

// What a run takes from one checked row, read at Start.
struct JobEntry {
    std::string path;
    std::string ownerPassword;
    std::string userPassword;
};

class CJobList {
public:
    CJobList(CDataGrid& grid, QWidget* owner);

    // Lays the grid out as the file list with no entries.
    void SetUpGrid();
    void AddJob(const std::string& path);
    bool IsAlreadyListed(const std::string& path);
    const std::vector<std::string>& Paths() const { return jobs_.Paths(); }

    // The ways in: the file dialog, a folder chooser, dropped paths.
    void OpenFile();
    void ImportDirectoryCommand();
    // The folders the Open dialog and the folder chooser start in: where
    // each was last used (empty: their own choice). Kept in Settings.ini.
    std::string openFolder, importFolder;
    void ImportDirectory(const std::string& dir);
    void Drop(const std::vector<std::string>& paths);

    // The list commands.
    void RemoveSelected();
    void RemoveAll();
    void SelectCurrentItem();
    void SelectAllItems() { SetChecks([](bool) { return true; }); }
    void ClearAllSelected() { SetChecks([](bool) { return false; }); }
    void InvertSelect() { SetChecks([](bool checked) { return !checked; }); }
    void OpenFileDirectory();
    void OpenWithAssociatedApp();

    bool IsChecked(int row) const;
    // The checked entries with the passwords of their own rows, in row order.
    std::vector<JobEntry> CheckedEntries() const;

    // Told when the bars should show "Waiting for converting." again, and
    // when the summary panel should be emptied.
    std::function<void()> onResetBars;
    std::function<void(const std::string&)> onAdded; // a document came into the list
    std::function<void()> onClearSummary;

private:
    void SetChecks(const std::function<bool(bool)>& change);
    // The grid row of a path just listed.
    void AddRow(const std::string& path);
    // The bottom row of the selection, when it is an entry.
    int SelectedEntryRow() const;

    CDataGrid& grid_;
    QWidget* owner_;
    DialogMessages messages_;
    JobPaths jobs_;
};
