#pragma once
// Services of the desktop that tests replace: message boxes, opening a
// folder, document or web address, the clipboard, file and folder dialogs.
#include <functional>
#include <string>
#include <vector>

class QWidget;

// One line of a pop-up menu: a command with its text ("&" marks the access
// key), or a separator.
struct PopupMenuEntry {
    unsigned command = 0; // 0: a separator
    std::string text;
    bool enabled = true;
};

// A message box's type: its buttons, plus at most one icon.
enum : int {
    MB_OK = 0x0, MB_YESNO = 0x4,
    MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONINFORMATION = 0x40,
    IDOK = 1, IDYES = 6, IDNO = 7,
};

class UiServices {
public:
    virtual ~UiServices() = default;
    // Modal on the user-interface thread; from another thread the caller
    // waits until the box is answered. Returns IDOK, IDYES or IDNO.
    virtual int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, int type) = 0;
    // Opens a folder, a document or a web address with the desktop.
    virtual bool OpenWithDesktop(const std::string& pathOrUrl) = 0;
    virtual std::string GetClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    // Paths chosen in an open dialog with a filter such as "PDF Files (*.pdf)"; empty on Cancel.
    virtual std::vector<std::string> OpenFileDialog(QWidget* owner, const std::string& filter,
                                                    const std::string& start) = 0;
    // A folder chosen in the folder chooser (which shows the files the filter
    // lets through), ending with '/'; empty on Cancel.
    virtual std::string FolderDialog(QWidget* owner, const std::string& title, const std::string& start,
                                     const std::string& filter = std::string()) = 0;
    // Shows a pop-up menu at a screen point; the command chosen, 0 for none.
    virtual unsigned TrackPopupMenu(QWidget* owner, const std::vector<PopupMenuEntry>& entries, int x, int y) = 0;
};

// The services in use: the desktop's own unless a test installed others.
UiServices& Services();
// Installs replacements (null restores the desktop's); returns the previous ones.
UiServices* SetServices(UiServices* services);

// What shows the desktop's pop-up menus: a window of the program's own look
// when one is set (null: a plain menu). Returns the previous one.
using PopupMenuPresenter =
    std::function<unsigned(QWidget* owner, const std::vector<PopupMenuEntry>& entries, int x, int y)>;
PopupMenuPresenter SetPopupMenuPresenter(PopupMenuPresenter presenter);
