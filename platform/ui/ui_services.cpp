#include "platform/ui/ui_services.h"

#include "platform/ui/folder_chooser.h"
#include "platform/ui/wnd.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>

namespace {

// Runs work on the user-interface thread and waits for its result.
template <typename Work>
auto OnUiThread(Work work) -> decltype(work()) {
    decltype(work()) result{};
    CallOnUiThread([&] { result = work(); });
    return result;
}

class DesktopServices : public UiServices {
public:
    int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, int type) override {
        return OnUiThread([&] {
            QString title = QString::fromLocal8Bit(caption.c_str());
            QString body = QString::fromLocal8Bit(text.c_str());
            const bool yesNo = (type & 0xF) == MB_YESNO;
            QMessageBox::Icon icon = yesNo ? QMessageBox::Question : QMessageBox::Information;
            switch (type & 0xF0) {
            case MB_ICONERROR: icon = QMessageBox::Critical; break;
            case MB_ICONQUESTION: icon = QMessageBox::Question; break;
            case MB_ICONEXCLAMATION: icon = QMessageBox::Warning; break;
            case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
            }
            QMessageBox box(icon, title, body, yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
            const int answer = box.exec();
            return yesNo ? (answer == QMessageBox::Yes ? int(IDYES) : int(IDNO)) : int(IDOK);
        });
    }
    bool OpenWithDesktop(const std::string& pathOrUrl) override {
        return OnUiThread([&] {
            QString target = QString::fromLocal8Bit(pathOrUrl.c_str());
            QUrl url = target.contains("://") || target.startsWith("mailto:") ? QUrl(target)
                                                                               : QUrl::fromLocalFile(target);
            return QDesktopServices::openUrl(url);
        });
    }
    std::string GetClipboardText() override {
        return OnUiThread([] { return QApplication::clipboard()->text().toLocal8Bit().toStdString(); });
    }
    void SetClipboardText(const std::string& text) override {
        OnUiThread([&] {
            QApplication::clipboard()->setText(QString::fromLocal8Bit(text.c_str()));
            return 0;
        });
    }
    std::vector<std::string> OpenFileDialog(QWidget* owner, const std::string& filter,
                                            const std::string& start) override {
        return OnUiThread([&] {
            std::vector<std::string> paths;
            for (const QString& path : QFileDialog::getOpenFileNames(owner, {}, QString::fromLocal8Bit(start.c_str()),
                                                                     QString::fromLocal8Bit(filter.c_str())))
                paths.push_back(path.toLocal8Bit().toStdString());
            return paths;
        });
    }
    std::string FolderDialog(QWidget* owner, const std::string& title, const std::string& start,
                             const std::string& filter) override {
        return OnUiThread([&] { return ChooseFolder(owner, title, start, filter); });
    }
    unsigned TrackPopupMenu(QWidget* owner, const std::vector<PopupMenuEntry>& entries, int x, int y) override {
        return OnUiThread([&] {
            if (presenter)
                return presenter(owner, entries, x, y);
            QMenu menu(owner);
            for (const PopupMenuEntry& entry : entries) {
                if (entry.command == 0) {
                    menu.addSeparator();
                    continue;
                }
                QAction* action = menu.addAction(QString::fromLocal8Bit(entry.text.c_str()));
                action->setEnabled(entry.enabled);
                action->setData(entry.command);
            }
            QAction* chosen = menu.exec(QPoint(x, y));
            return chosen ? chosen->data().toUInt() : 0u;
        });
    }
    PopupMenuPresenter presenter;
};

DesktopServices desktop;
UiServices* installed = nullptr;

} // namespace

UiServices& Services() { return installed ? *installed : desktop; }

PopupMenuPresenter SetPopupMenuPresenter(PopupMenuPresenter presenter) {
    std::swap(desktop.presenter, presenter);
    return presenter;
}

UiServices* SetServices(UiServices* services) {
    UiServices* previous = installed;
    installed = services;
    return previous;
}
