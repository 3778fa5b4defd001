#pragma once
// CDesktopProgram: one run of the desktop program between the command line
// and the exit: it reads Settings.ini, builds the main window, shows it with
// the PDF files given listed (the splash too, unless asked not to), and
// writes the settings back when it ends.
//
// usage: vellumin [--no-splash] [--settings FILE] [PDF...]
#include "engine/settings/convert_settings.h"
#include "shell/main_frame.h"

#include <memory>
#include <string>
#include <vector>

struct ProgramArguments {
    bool splash = true;
    std::string settingsPath; // empty: Settings.ini beside the program, or the user's config folder
    std::vector<std::string> documents; // absolute paths
};
ProgramArguments ParseProgramArguments(int argc, char** argv);

class CDesktopProgram {
public:
    CDesktopProgram(const ProgramArguments& arguments, const std::string& helpPage);
    ~CDesktopProgram(); // saves the settings

    void Show();
    CMainFrame& Frame() { return *frame_; }
    const std::string& SettingsPath() const { return settingsPath_; }
    const ConvertSettings& Settings() const { return settings_; }

private:
    bool splash_;
    std::string settingsPath_;
    std::vector<std::string> documents_;
    ConvertSettings settings_;
    std::unique_ptr<CMainFrame> frame_;
};
