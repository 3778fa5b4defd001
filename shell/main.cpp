// vellumin: the desktop program. One instance per user: a second start
// brings the first window to the front and ends. The settings are read from
// Settings.ini at start and written back at exit.
//
// usage: vellumin [--no-splash] [--settings FILE] [PDF...]
#include "engine/settings_store.h"
#include "shell/main_frame.h"
#include "shell/single_instance.h"
#include "shell/splash_window.h"

#include <QApplication>
#include <QFileInfo>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The help page: installed beside the program's data, or in the source tree.
std::string HelpPage() {
    const QString installed = QCoreApplication::applicationDirPath() + "/../share/vellumin/help.html";
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).absoluteFilePath().toStdString();
    return std::string(VELLUMIN_SOURCE_DIR) + "/resources/help.html";
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bool splash = true;
    std::string settingsPath;
    std::vector<std::string> documents;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-splash") == 0 || std::strcmp(argv[i], "-Embedding") == 0 ||
            std::strcmp(argv[i], "-Automation") == 0)
            splash = false;
        else if (std::strcmp(argv[i], "--settings") == 0 && i + 1 < argc)
            settingsPath = argv[++i];
        else
            documents.push_back(argv[i]);
    }
    CSingleInstance instance(QFileInfo(QString::fromLocal8Bit(argv[0])).baseName().toStdString());
    if (instance.OtherIsRunning())
        return 0;

    if (settingsPath.empty())
        settingsPath = SettingsFilePath(QCoreApplication::applicationDirPath().toStdString() + "/");
    ConvertSettings settings;
    LoadSettings(settingsPath, settings);

    CMainFrame frame(settings, HelpPage());
    instance.Listen([&frame] {
        frame.showNormal();
        frame.raise();
        frame.activateWindow();
    });
    for (const std::string& document : documents)
        frame.Form().Jobs().AddJob(document);
    frame.show();
    if (splash)
        (new CSplashWindow)->show();
    const int result = app.exec();
    SaveSettings(settingsPath, settings);
    return result;
}
