#pragma once
// CMainFrame: the main window: the cool bar at the top whose menu bar shows
// menu 165 in flat menus, the accelerator keys, a splitter with the file list form on the left (at least 640 pixels)
// and the options pane on the right. List and run commands go to the form,
// which also says when they are enabled; the frame's own commands reset the
// options, open the help and web pages, write a mail and show the About box.
// Closing the window during a run stops it and waits for its worker; a
// modal window still open is closed first.
#include "controls/bars/custom_cool_bar.h"
#include "shell/command_table.h"
#include "shell/file_list_form.h"
#include "shell/recent_documents.h"
#include "shell/right_view.h"

#include <QMainWindow>
#include <QSplitter>

enum : unsigned {
    ID_RESET_OPTIONS = 32785, ID_APP_EXIT = 57665, ID_HELP_ONLINE = 32861, ID_TELL_FRIEND = 32865,
    ID_CHECK_VERSION = 32866, ID_HOME_PAGE = 32867, ID_APP_ABOUT = 57664,
    ID_RECENT_DOCUMENTS = 32870, // the File menu's submenu
    ID_RECENT_FIRST = 32871,     // its documents, the most recent first
};

class CMainFrame : public QMainWindow {
public:
    CMainFrame(ConvertSettings& settings, const std::string& helpPage);
    ~CMainFrame() override;

    // Runs a command of the window's table when it is enabled; the menus,
    // the keys and the form's buttons go through the same rule.
    void OnCommand(unsigned id);
    bool IsCommandEnabled(unsigned id) const;
    const CommandTable& Commands() const { return commands_; }
    CFileListForm& Form() { return *form_; }
    CRightView& Options() { return *options_; }
    QSplitter& Splitter() { return splitter_; }
    CCustomCoolBar& CoolBar() { return *coolBar_; }
    // A menu item's image: that of the first toolbar in the window with a
    // button for the command (null: none).
    const QImage* MenuImage(unsigned id) const;
    CMenuBar& MenuBar() { return coolBar_->MenuBar(); }
    // The documents of File > Recent Documents; ShowRecentDocuments puts
    // them in the submenu after they were loaded.
    RecentDocuments& Recent() { return recent_; }
    void ShowRecentDocuments();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void AddCommands();
    void CreateCoolBar();
    // Asks first; a reset rebuilds the options from the defaults.
    void ResetOptions();

    ConvertSettings& settings_;
    std::string helpPage_;
    QSplitter splitter_;
    CRightView* options_;
    CFileListForm* form_;
    CCustomCoolBar* coolBar_ = nullptr;
    CommandTable commands_;
    RecentDocuments recent_;
    std::shared_ptr<Menu> recentMenu_ = std::make_shared<Menu>();
    struct Key {
        int key;
        Qt::KeyboardModifiers modifiers;
        unsigned command;
    };
    std::vector<Key> accelerators_;
};
