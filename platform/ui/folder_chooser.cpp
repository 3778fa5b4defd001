#include "platform/ui/folder_chooser.h"

#include "platform/file_system.h"
#include "platform/ui/ui_services.h"

#include <QFileDialog>
#include <QLineEdit>

namespace {

// The file dialog set up as a folder chooser; Select runs the confirmation.
class FolderChooser : public QFileDialog {
public:
    FolderChooser(QWidget* parent, const std::string& title, const std::string& initialFolder,
                  const std::string& filter)
        : QFileDialog(parent, QString::fromLocal8Bit(title.c_str()), QString::fromLocal8Bit(initialFolder.c_str())) {
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(QFileDialog::Directory); // files show too, so the documents can be seen
        if (!filter.empty())
            setNameFilter(QString::fromLocal8Bit(filter.c_str()));
        setLabelText(QFileDialog::Accept, "&Select");
        setLabelText(QFileDialog::FileName, "Current Folder:");
        setLabelText(QFileDialog::FileType, "Please Select the File Type:");
        if (auto* edit = findChild<QLineEdit*>())
            edit->setText(QString::fromLocal8Bit(initialFolder.c_str()));
    }
    std::string result;

protected:
    void accept() override {
        const auto* edit = findChild<QLineEdit*>();
        const std::string typed = edit ? edit->text().toLocal8Bit().toStdString() : std::string();
        const std::string shown = directory().absolutePath().toLocal8Bit().toStdString();
        if (auto confirmed = ConfirmFolder(typed, shown, this)) {
            result = *confirmed;
            QDialog::accept();
        }
    }
};

} // namespace

std::optional<std::string> ConfirmFolder(std::string path, const std::string& shown, QWidget* owner) {
    if (path.empty())
        path = shown;
    if (path.find("//") != std::string::npos) {
        Services().MessageBox(owner, "Invalid directory", "Vellumin", MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (!platform::PathExists(path) &&
        Services().MessageBox(owner, path + "\n\nThe selected path isn't exist, create it?", "Vellumin", MB_YESNO | MB_ICONQUESTION) ==
            IDYES &&
        !platform::CreateDirectoryPath(path)) {
        Services().MessageBox(owner, "Can not create directory\n" + path, "Vellumin", MB_OK | MB_ICONERROR);
        return std::nullopt;
    }
    return platform::WithTrailingSlash(path);
}

std::string ChooseFolder(QWidget* owner, const std::string& title, const std::string& initialFolder,
                         const std::string& filter) {
    FolderChooser dialog(owner, title, initialFolder, filter);
    return dialog.exec() == QDialog::Accepted ? dialog.result : std::string();
}
