// The options pane bound to the conversion settings of a Settings.ini: edit
// them with the mouse and keys; the file is written back when the window
// closes.
//
// usage: tree-demo [--settings FILE] [--snapshot FILE.png]
// Without --settings the file beside the program (or in the user's
// configuration folder) is used. With --snapshot the window is drawn once
// into FILE.png and the program ends.
#include "engine/settings/settings_store.h"
#include "shell/right_view.h"

#include <QApplication>
#include <QPixmap>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string settingsPath, snapshot;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--settings") == 0)
            settingsPath = argv[i + 1];
        else if (std::strcmp(argv[i], "--snapshot") == 0)
            snapshot = argv[i + 1];
    }
    if (settingsPath.empty())
        settingsPath = SettingsFilePath(QCoreApplication::applicationDirPath().toStdString() + "/");
    ConvertSettings settings;
    LoadSettings(settingsPath, settings);

    CRightView view(settings);
    view.setWindowTitle("Options");
    view.resize(360, 420);
    view.BuildOptionTree();
    view.show();
    if (!snapshot.empty())
        return view.grab().save(QString::fromStdString(snapshot)) ? 0 : 1;
    const int result = app.exec();
    view.ReadOptionsFromTree();
    SaveSettings(settingsPath, settings);
    return result;
}
