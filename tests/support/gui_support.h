#pragma once
// Helpers of the window tests: showing a window as the platform exposes it,
// and a window that writes down the messages it receives in readable form.
#include "platform/ui/ui_services.h"
#include "platform/ui/wnd.h"

#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <set>
#include <string>
#include <vector>

// Shows the top-level window of widget, activates it and waits until the
// platform has exposed it, so that focus and painting behave as on a desktop.
void ShowExposed(QWidget* widget);

// The window's own scroll bar of that orientation (null when it has none),
// and where a part of a scroll bar (an arrow, the thumb) lies in the bar.
QScrollBar* ScrollBarOf(QWidget* window, Qt::Orientation orientation);
QRect ScrollBarPart(QScrollBar* bar, QStyle::SubControl part);

// Drops files on target as a file manager would: the drag enters, then drops.
void DropFiles(QWidget* target, const std::vector<std::string>& paths);

// A message as a line: its name, wParam in hex and lParam as a point or a
// number, e.g. "WM_LBUTTONDOWN 0x1 (3,4)".
std::string DescribeMessage(UINT message, WPARAM wParam, LPARAM lParam);
std::string MessageName(UINT message);

// A window that notes each message it receives (except painting and
// timers), then gives it the standard handling. Key messages carry the
// modifiers GetKeyState reports while they are handled: "+S", "+C", "+A".
class JournalWindow : public CWnd {
public:
    explicit JournalWindow(QWidget* parent = nullptr) : CWnd(parent) {}
    std::vector<std::string> journal;
    // Messages left out of the journal.
    std::set<UINT> ignored{WM_PAINT, WM_ERASEBKGND, WM_TIMER, WM_MOVE, WM_SIZE, WM_SETCURSOR, WM_GETDLGCODE};
    // What WM_GETDLGCODE answers.
    LRESULT dialogCode = 0;
    // Names window parameters of focus and context-menu messages instead of addresses.
    std::vector<std::pair<const QWidget*, std::string>> names;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Desktop services for tests: a clipboard of its own, message boxes answered
// at once and written down, opened paths written down. Installed while the
// object lives.
class RecordingServices : public UiServices {
public:
    RecordingServices() : previous_(SetServices(this)) {}
    ~RecordingServices() override { SetServices(previous_); }
    std::string clipboard;
    std::vector<std::string> messages;
    std::vector<int> types; // of each message box, buttons and icon
    std::vector<std::string> opened;
    int answer = IDOK;

    int MessageBox(QWidget*, const std::string& text, const std::string&, int type) override {
        messages.push_back(text);
        types.push_back(type);
        return answer;
    }
    bool openSucceeds = true;
    bool OpenWithDesktop(const std::string& pathOrUrl) override {
        opened.push_back(pathOrUrl);
        return openSucceeds;
    }
    std::string GetClipboardText() override { return clipboard; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }
    // Open dialogs answer with these files (none: Cancel), noting the folder each starts in.
    std::vector<std::string> files;
    std::vector<std::string> openStarts;
    std::vector<std::string> OpenFileDialog(QWidget*, const std::string&, const std::string& start) override {
        openStarts.push_back(start);
        return files;
    }
    // Folder dialogs answer with folders in turn (empty: Cancel), noting title and start.
    std::vector<std::string> folders;
    std::vector<std::string> folderDialogs;
    std::string FolderDialog(QWidget*, const std::string& title, const std::string& start,
                             const std::string& filter) override {
        folderDialogs.push_back(title + " | " + start + (filter.empty() ? "" : " | " + filter));
        if (folders.empty())
            return {};
        const std::string folder = folders.front();
        folders.erase(folders.begin());
        return folder;
    }
    // Pop-up menus: noted as "text" or "(text)" when disabled, answered with menuAnswer.
    std::vector<std::string> menu;
    unsigned menuAnswer = 0;
    unsigned TrackPopupMenu(QWidget*, const std::vector<PopupMenuEntry>& entries, int, int) override {
        menu.clear();
        for (const PopupMenuEntry& entry : entries)
            menu.push_back(entry.command == 0 ? "-" : entry.enabled ? entry.text : "(" + entry.text + ")");
        return menuAnswer;
    }

private:
    UiServices* previous_;
};
