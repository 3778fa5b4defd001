#pragma once
// CFileListForm: the left pane's form: the job list's grid, six icon
// buttons, the summary panel and the two progress bars with their labels,
// on the band colour. It runs the list commands and the batch run, shows the
// summary of a clicked document (and, with "All Pages", its page count in
// End Page), handles its own keys, offers the list's context menu, and says
// which commands are enabled.
#include "controls/bars/icon_button.h"
#include "controls/bars/label_static.h"
#include "shell/batch_run.h"
#include "shell/right_view.h"
#include "shell/summary_panel.h"

#include <memory>

class CFileListForm : public CWnd {
public:
    CFileListForm(ConvertSettings& settings, CRightView* options);
    ~CFileListForm() override;

    // Runs a list or run command (the frame forwards its menu commands here).
    void OnCommand(unsigned id);
    bool IsCommandEnabled(unsigned id) const;
    // Handles one of the form's keys; false for other keys.
    bool HandleKey(int virtualKey, bool control);

    CDataGrid& Grid() { return grid_; }
    CJobList& Jobs() { return jobs_; }
    CBatchRun& Run() { return run_; }
    CContextRichEdit& Summary() { return summary_; }
    CPercentProgressCtrl& CurrentBar() { return current_; }
    CPercentProgressCtrl& TotalBar() { return total_; }
    CIconButton& Button(unsigned id);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayOut();
    void ResetBars();
    void EnableRunButtons(bool enable);
    void ShowSummary(int row, int col);
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
};
