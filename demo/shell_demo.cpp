// The job list and a batch run in one window, for a person to try before
// the desktop program exists: add PDF files (Open File, Import Directory, or
// drop them on the window), edit passwords, click a row for its summary, set
// the options on the right, Start and Stop.
//
// usage: shell-demo [--settings FILE] [--snapshot FILE.png] [PDF...]
// With --snapshot the window is drawn once into FILE.png and the program ends.
#include "engine/document_summary.h"
#include "engine/settings_store.h"
#include "shell/batch_run.h"
#include "shell/right_view.h"
#include "shell/summary_panel.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <cstring>
#include <string>

namespace {

// The left pane's pieces in one form: grid, buttons, summary, bars.
class DemoForm : public CWnd {
public:
    DemoForm(ConvertSettings& settings, CRightView& options)
        : jobs_(grid_, this), current_(this), total_(this), summary_(this),
          run_(jobs_, settings,
               CBatchRun::Controls{&current_, &total_, [this](bool on) { EnableButtons(on); },
                                   [&options] { options.ReadOptionsFromTree(); }},
               this) {
        grid_.Create(RECT{0, 0, 10, 10}, this, 1021);
        jobs_.SetUpGrid();
        const char* labels[] = {"Open File", "Import Directory", "Remove Selected", "Remove All", "Start", "Stop"};
        for (const char* label : labels)
            buttons_.push_back(new QPushButton(label, this));
        QObject::connect(buttons_[0], &QPushButton::clicked, [this] { jobs_.OpenFile(); });
        QObject::connect(buttons_[1], &QPushButton::clicked, [this] { jobs_.ImportDirectoryCommand(); });
        QObject::connect(buttons_[2], &QPushButton::clicked, [this] { jobs_.RemoveSelected(); });
        QObject::connect(buttons_[3], &QPushButton::clicked, [this] { jobs_.RemoveAll(); });
        QObject::connect(buttons_[4], &QPushButton::clicked, [this] { run_.StartConvert(); });
        QObject::connect(buttons_[5], &QPushButton::clicked, [this] { run_.StopConvert(); });
        jobs_.onResetBars = [this] { ResetBars(); };
        jobs_.onClearSummary = [this] { summary_.Clear(); };
        ResetBars();
        DragAcceptFiles(true);
    }
    ~DemoForm() override { run_.StopAndWait(); }
    CJobList& Jobs() { return jobs_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_DROPFILES:
            jobs_.Drop(DroppedFiles(wParam));
            return 0;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lParam)->code == NM_CLICK)
                ShowSummary();
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    void Layout() {
        const RECT c = GetClientRect();
        const int gridBottom = c.bottom / 2;
        grid_.MoveWindow(RECT{0, 0, c.right, gridBottom});
        int x = 0;
        for (QPushButton* button : buttons_) {
            button->setGeometry(x, gridBottom + 4, 110, 26);
            x += 114;
        }
        summary_.setGeometry(0, gridBottom + 34, c.right, c.bottom - gridBottom - 34 - 56);
        current_.setGeometry(0, c.bottom - 50, c.right, 22);
        total_.setGeometry(0, c.bottom - 24, c.right, 22);
    }
    void ResetBars() {
        for (CPercentProgressCtrl* bar : {&current_, &total_}) {
            bar->SetPos(0);
            bar->SetWindowText("Waiting for converting.");
        }
    }
    void EnableButtons(bool on) {
        for (int i : {0, 1, 2, 3, 4})
            buttons_[static_cast<size_t>(i)]->setEnabled(on);
    }
    void ShowSummary() {
        const CGridCellRange range = grid_.GetSelectedCellRange();
        if (grid_.GetRowCount() < 2 || !grid_.IsValid(range) || range.maxRow < 1)
            return;
        DialogMessages messages(this);
        summary_.ShowSummary(
            BuildDocumentSummary(jobs_.Paths()[static_cast<size_t>(range.maxRow - 1)], messages));
    }

    CDataGrid grid_;
    CJobList jobs_;
    CPercentProgressCtrl current_, total_;
    CContextRichEdit summary_;
    std::vector<QPushButton*> buttons_;
    CBatchRun run_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string settingsPath, snapshot;
    std::vector<std::string> documents;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--settings") == 0 && i + 1 < argc)
            settingsPath = argv[++i];
        else if (std::strcmp(argv[i], "--snapshot") == 0 && i + 1 < argc)
            snapshot = argv[++i];
        else
            documents.push_back(argv[i]);
    }
    if (settingsPath.empty())
        settingsPath = SettingsFilePath(QCoreApplication::applicationDirPath().toStdString() + "/");
    ConvertSettings settings;
    LoadSettings(settingsPath, settings);

    CWnd window;
    window.setWindowTitle("Vellumin");
    window.resize(1024, 640);
    CRightView options(settings);
    options.Create(WS_CHILD | WS_VISIBLE, RECT{680, 0, 1024, 640}, &window, 2);
    options.BuildOptionTree();
    DemoForm form(settings, options);
    form.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 676, 640}, &window, 1);
    for (const std::string& document : documents)
        form.Jobs().AddJob(document);
    window.show();
    if (!snapshot.empty())
        return window.grab().save(QString::fromStdString(snapshot)) ? 0 : 1;
    const int result = app.exec();
    SaveSettings(settingsPath, settings);
    return result;
}
