#pragma once
// CFileListForm: the left pane's form: the job list's grid, six icon
// buttons, the summary panel and the two progress bars with their labels,
// on the band colour. It runs the list commands and the batch run, shows the
// summary of a clicked document (and, with "All Pages", its page count in
// End Page), handles its own keys, offers the list's context menu, and says
// which commands are enabled.
#include "controls/bars/icon_button.h"
#include "controls/bars/label_static.h"
#include "shell/background_image_list.h"
#include "shell/batch_run.h"
#include "shell/command_table.h"
#include "shell/right_view.h"
#include "shell/summary_panel.h"

#include <functional>
#include <memory>

class QKeyEvent;

class CFileListForm : public CWnd {
public:
    CFileListForm(ConvertSettings& settings, CRightView* options);
    ~CFileListForm() override;

    // Runs a list or run command when it is enabled: buttons, keys, the
    // context menu and the frame's menus all come here.
    void OnCommand(unsigned id);
    // Files and folders dropped on the window or handed over by a second
    // start: documents listed, folders imported.
    void AddDroppedFiles(const std::vector<std::string>& paths);
    bool IsCommandEnabled(unsigned id) const;
    // The command of one of the form's keys; 0 for other keys.
    static unsigned CommandForKey(const QKeyEvent& key);
    // Called as a run starts, before the options are read (the frame commits
    // the option being edited).
    std::function<void()> beforeRun;

    CDataGrid& Grid() { return grid_; }
    CJobList& Jobs() { return jobs_; }
    CBatchRun& Run() { return run_; }
    CContextRichEdit& Summary() { return summary_; }
    CPercentProgressCtrl& CurrentBar() { return current_; }
    CPercentProgressCtrl& TotalBar() { return total_; }
    CLabelStatic& CurrentLabel() { return currentLabel_; }
    CLabelStatic& TotalLabel() { return totalLabel_; }
    CIconButton& Button(unsigned id);
    // The form's width that shows every column of the list whole, with the
    // list's border and a vertical scroll bar.
    int WidthForColumns();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddCommands();
    void StartConvert();
    // While the list has the focus it keeps a current row, so that its keys
    // work: the first document as it takes the focus, the one nearest to
    // the row it had after rows came or went.
    bool ListHasTheFocus() const;
    void GiveTheListACurrentRow(int nearRow = 1);
    // F2 or a typed character on a row whose current cell takes no text
    // (the check box, the name...) edits the row's password instead.
    void AimEditingAtThePassword(const QKeyEvent& key);
    void LayOut();
    void ResetBars();
    void EnableRunButtons(bool enable);
    void ShowSummary(int row, int col);
    // Reads the document's images in the background into the summary; a
    // read still running for another document is stopped.
    void ReadImageList(const std::string& path);
    void StartImageListRead(const std::string& path);
    void ClearSummary();
    void ShowContextMenu(POINT screen);

    ConvertSettings& settings_;
    CRightView* options_;
    CDataGrid grid_;
    CJobList jobs_;
    CContextRichEdit summary_;
    CPercentProgressCtrl current_, total_;
    CLabelStatic currentLabel_, totalLabel_;
    std::vector<std::unique_ptr<CIconButton>> buttons_;
    CBatchRun run_;
    CommandTable commands_;
    BackgroundImageList imageList_; // stopped before the summary it writes to goes
    int imageListNumber_ = 0;       // of the latest read: a list that comes after another click or a run's report is not shown
    std::string imageListPath_;     // the document of the latest read
};
