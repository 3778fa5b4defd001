#pragma once
// Services of the desktop that tests replace: message boxes, opening a
// folder, document or web address, the clipboard, file and folder dialogs.
#include <string>
#include <vector>

class QWidget;

enum : int { MB_OK = 0x0, MB_YESNO = 0x4, IDOK = 1, IDYES = 6, IDNO = 7 };

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
    virtual std::vector<std::string> OpenFileDialog(QWidget* owner, const std::string& filter) = 0;
    // A folder chosen in a folder dialog; empty on Cancel.
    virtual std::string FolderDialog(QWidget* owner, const std::string& title, const std::string& start) = 0;
};

// The services in use: the desktop's own unless a test installed others.
UiServices& Services();
// Installs replacements (null restores the desktop's); returns the previous ones.
UiServices* SetServices(UiServices* services);
