// The file list form and the options pane in one window, for a person to
// try before the desktop program exists: add PDF files (the buttons, Ctrl+O,
// Ctrl+D, or drop them on the window), edit passwords, click a row for its
// summary, set the options on the right, Start (F5) and Stop.
//
// usage: shell-demo [--settings FILE] [--snapshot FILE.png] [PDF...]
// With --snapshot the window is drawn once into FILE.png and the program ends.
#include "engine/settings/settings_store.h"
#include "shell/file_list_form.h"

#include <QApplication>
#include <QPixmap>
#include <cstring>
#include <string>

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
    CFileListForm form(settings, &options);
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
