#include "shell/desktop_program.h"

#include "engine/settings/settings_store.h"
#include "shell/screen_fit.h"
#include "shell/splash_window.h"
#include "shell/window_placement.h"
#include "platform/ini_profile.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstring>
#include <filesystem>

namespace {

// Where the Open dialog and the folder chooser were last used.
const char kFolders[] = "Last Folders";
const char kOpenFolder[] = "Open";
const char kImportFolder[] = "Import";

} // namespace

ProgramArguments ParseProgramArguments(int argc, char** argv) {
    ProgramArguments arguments;
    for (int i = 1; i < argc; ++i) {
        // Started by another program rather than by a person: no splash.
        if (std::strcmp(argv[i], "--no-splash") == 0 || std::strcmp(argv[i], "-Embedding") == 0 ||
            std::strcmp(argv[i], "-Automation") == 0)
            arguments.splash = false;
        else if (std::strcmp(argv[i], "--settings") == 0 && i + 1 < argc)
            arguments.settingsPath = argv[++i];
        else // made absolute against the folder the program starts in
            arguments.documents.push_back(std::filesystem::absolute(argv[i]).lexically_normal().string());
    }
    return arguments;
}

CDesktopProgram::CDesktopProgram(const ProgramArguments& arguments, const std::string& helpPage)
    : splash_(arguments.splash), settingsPath_(arguments.settingsPath), documents_(arguments.documents) {
    if (settingsPath_.empty())
        settingsPath_ = SettingsFilePath(QCoreApplication::applicationDirPath().toStdString() + "/");
    LoadSettings(settingsPath_, settings_);
    frame_ = std::make_unique<CMainFrame>(settings_, helpPage);
    CJobList& jobs = frame_->Form().Jobs();
    jobs.openFolder = platform::GetPrivateProfileString(kFolders, kOpenFolder, "", settingsPath_);
    jobs.importFolder = platform::GetPrivateProfileString(kFolders, kImportFolder, "", settingsPath_);
    frame_->Recent().Load(settingsPath_);
    frame_->ShowRecentDocuments();
}

CDesktopProgram::~CDesktopProgram() {
    const std::string openFolder = frame_->Form().Jobs().openFolder;
    const std::string importFolder = frame_->Form().Jobs().importFolder;
    const RecentDocuments recent = frame_->Recent();
    SaveWindowPlacement(*frame_, settingsPath_);
    frame_.reset(); // a run still going is stopped and waited for first
    SaveSettings(settingsPath_, settings_);
    platform::WritePrivateProfileString(kFolders, kOpenFolder, openFolder, settingsPath_);
    platform::WritePrivateProfileString(kFolders, kImportFolder, importFolder, settingsPath_);
    recent.Save(settingsPath_);
}

void CDesktopProgram::Show() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const WindowPlacement placement =
            PlaceOnScreen(frame_->size(), frame_->minimumSize(), screen->availableGeometry(), kAssumedFrame);
        frame_->setMinimumSize(placement.minimum);
        frame_->resize(placement.size);
        frame_->move(placement.topLeft);
    }
    RestoreWindowPlacement(*frame_, settingsPath_);
    frame_->show();
    frame_->Form().Grid().SetFocus(); // the list is where the work starts, not the read-only summary
    // The documents named on the command line come in as dropped files do,
    // once the window is there to own a message about them.
    frame_->Form().AddDroppedFiles(documents_);
    if (splash_)
        (new CSplashWindow)->show();
}
