#pragma once
// CWnd: a window over QWidget that is driven by numbered messages.
//
// Qt events arrive as messages (paint, size, mouse, keyboard, focus, timer)
// and go through the window's window procedure, which by default calls the
// class's WindowProc; SendMessage runs a message of a control's own table the
// same way. The window procedure can be replaced (SetWindowProc), which is
// how a window is hooked by objects that do not own it. DefWindowProc gives a
// message its standard handling: Qt's own handling of the event behind it.
#include "platform/ui/win_types.h"

#include <QWidget>
#include <map>
#include <string>

class QEvent;
class CDC;

class CWnd : public QWidget {
public:
    using WNDPROC = LRESULT (*)(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);

    explicit CWnd(QWidget* parent = nullptr);
    ~CWnd() override;

    // Runs the message through the window procedure now, on this thread.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Replaces the window procedure and returns the previous one.
    WNDPROC SetWindowProc(WNDPROC procedure);
    static LRESULT CallWindowProc(WNDPROC procedure, CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_GETTEXT's copy: at most size - 1 bytes of text and a zero byte into
    // buffer (nothing when size is 0); the bytes copied.
    static LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer);

    // ---- services in the shape window code expects
    RECT GetClientRect() const { return RECT{0, 0, width(), height()}; }
    CWnd* GetParent() const { return dynamic_cast<CWnd*>(parentWidget()); }
    void SetWindowText(const std::string& text);
    std::string GetWindowText();
    // Marks the whole client area for repainting (with background erase when asked).
    void Invalidate(bool erase = true);
    // RDW_ flags; with RDW_UPDATENOW the window is painted before this returns.
    void RedrawWindow(UINT flags);
    // Starts or restarts timer id; WM_TIMER then arrives with wParam id.
    void SetTimer(uintptr_t id, int milliseconds);
    void KillTimer(uintptr_t id);
    // Notifies the owner (the parent window) with WM_NOTIFY and the record.
    LRESULT NotifyOwner(NMHDR& record);

protected:
    // The class's own handling of a message; the default is DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    bool event(QEvent* event) override;

private:
    static LRESULT StandardWindowProc(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DispatchEvent(UINT message, WPARAM wParam, LPARAM lParam, QEvent* event);

    WNDPROC windowProc_ = StandardWindowProc;
    std::string text_;
    bool eraseRequested_ = true;
    std::map<int, uintptr_t> timers_; // Qt timer id -> our id
};

// The message being handled on this thread, as the framework records it:
// default handling inside a hook forwards exactly this message.
struct CurrentMessage {
    CWnd* window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QEvent* event = nullptr; // the Qt event the message came from, if any
};
CurrentMessage& ThreadCurrentMessage();

// The drawing context of WM_PAINT, over the window and its update region;
// ClipBox is the rectangle that needs painting.
class CPaintDC;
