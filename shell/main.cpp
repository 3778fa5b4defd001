// vellumin: the desktop program. One instance per user: a second start
// hands its documents to the first window, brings it to the front and ends.
#include "shell/app_icon.h"
#include "shell/desktop_program.h"
#include "shell/single_instance.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <string>

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
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(AppIcon(size)));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName("vellumin");

    const ProgramArguments arguments = ParseProgramArguments(argc, argv);
    CSingleInstance instance(QFileInfo(QString::fromLocal8Bit(argv[0])).baseName().toStdString());
    if (instance.OtherIsRunning(arguments.documents))
        return 0;

    CDesktopProgram program(arguments, HelpPage());
    CMainFrame& frame = program.Frame();
    instance.Listen([&frame](const std::vector<std::string>& documents) {
        frame.showNormal();
        frame.raise();
        frame.activateWindow();
        // As dropped files: folders imported, documents already listed refused.
        frame.Form().AddDroppedFiles(documents);
    });
    program.Show();
    return app.exec();
}
