#pragma once
// CWnd: a window over QWidget that is driven by numbered messages.
//
// Qt events arrive as messages (paint, size, mouse, keyboard, focus, timers,
// scroll bars...) and go through the window's window procedure, which by
// default calls the class's WindowProc; SendMessage runs a message of a
// control's own table the same way, from any thread. The window procedure
// can be replaced (SetWindowProc), which is how a window is hooked by
// objects that do not own it. DefWindowProc gives a message its standard
// handling: Qt's own handling of the event behind it, or what the system
// does with the message.
//
// Non-client parts (WS_BORDER, WS_EX_CLIENTEDGE, WS_HSCROLL, WS_VSCROLL)
// live in a frame around a client widget, as in a scroll area: painting,
// mouse input and child windows then belong to ClientWidget(), and
// GetClientRect leaves the border and the scroll bars out.
//
// A standard Qt widget can be adopted as the window's control (HostControl):
// its input then reaches the window procedure first, and default handling
// gives it to the widget. CEdit and CComboBox are built that way.
#include "platform/ui/win_types.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QEvent;
class CDC;
class CFont;
class CNonClientFrame;

class CWnd : public QWidget {
public:
    using WNDPROC = LRESULT (*)(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);

    explicit CWnd(QWidget* parent = nullptr);
    // Destroys the window first if nobody did (then only this base class and
    // the hooks still see WM_DESTROY and WM_NCDESTROY: call DestroyWindow
    // before deleting a derived window whose procedure needs them).
    ~CWnd() override;

    // ---- creation and destruction
    // Gives the window its styles, its place in the parent's client area, its
    // parent and its control id, sends WM_CREATE and shows it with WS_VISIBLE.
    // FALSE, and the window destroyed, when WM_CREATE answers -1.
    BOOL Create(uint32_t style, const RECT& rect, CWnd* parent, UINT id, uint32_t exStyle = 0);
    // WM_DESTROY, then the child windows are destroyed, then WM_NCDESTROY;
    // the window is hidden and takes no more messages. The object lives on
    // until it is deleted (a window may delete itself on WM_NCDESTROY).
    void DestroyWindow();
    bool IsWindow() const { return !destroyed_; }

    // ---- messages
    // Runs the message through the window procedure. From another thread the
    // message runs on the window's thread and the caller waits for the result
    // (0 when the window is destroyed first).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Queues the message for the window's thread; FALSE for a destroyed window.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Replaces the window procedure and returns the previous one.
    WNDPROC SetWindowProc(WNDPROC procedure);
    static LRESULT CallWindowProc(WNDPROC procedure, CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);
    // WM_GETTEXT's copy: at most size - 1 bytes of text and a zero byte into
    // buffer (nothing when size is 0); the bytes copied.
    static LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer);
    // The window a message parameter names (WM_SETFOCUS, WM_KILLFOCUS...).
    static QWidget* FromParam(WPARAM window) { return reinterpret_cast<QWidget*>(window); }
    static WPARAM ToParam(const QWidget* window) { return reinterpret_cast<WPARAM>(window); }
    // The window a widget stands for: the CWnd that hosts it or owns it as
    // client area, the widget itself otherwise.
    static QWidget* WindowOf(QWidget* widget);

    // ---- family: control id, owner, parent
    void SetDlgCtrlID(UINT id) { id_ = id; }
    UINT GetDlgCtrlID() const { return id_; }
    void SetOwner(CWnd* owner) { owner_ = owner; }
    CWnd* GetOwner() const { return owner_; }
    // The nearest CWnd among the widget's ancestors (a splitter, a main window
    // or a client area in between does not count).
    CWnd* GetParent() const;
    // True when window is this window or lies inside it.
    bool IsChild(const QWidget* window) const;
    // Sends WM_NOTIFY with the record to the owner, or the parent when there
    // is none; fills hwndFrom and idFrom. 0 when there is nobody to tell.
    LRESULT NotifyOwner(NMHDR& record);

    // ---- styles and geometry
    uint32_t GetStyle() const { return style_; }
    uint32_t GetExStyle() const { return exStyle_; }
    void ModifyStyle(uint32_t remove, uint32_t add);
    void ModifyStyleEx(uint32_t remove, uint32_t add);
    // The client area: origin 0, without the border and the scroll bars.
    RECT GetClientRect() const;
    // Places the window in its parent's client coordinates.
    void MoveWindow(const RECT& rect, bool repaint = true);
    RECT GetWindowRect() const;
    void ClientToScreen(POINT* point) const;
    void ScreenToClient(POINT* point) const;
    // Where client drawing and child windows go.
    QWidget* ClientWidget() const;

    // ---- state
    void SetWindowText(const std::string& text);
    std::string GetWindowText();
    void ShowWindow(bool show) { setVisible(show); }
    void EnableWindow(bool enable) { setEnabled(enable); }
    // Gives this window the keyboard focus; returns the window that had it.
    QWidget* SetFocus();
    // The window with the keyboard focus (see WindowOf), or null.
    static QWidget* GetFocus();
    // WM_SETFONT with the font; GetFont answers WM_GETFONT (null: the system font).
    void SetFont(const CFont* font, bool redraw = true);
    const CFont* GetFont();

    // ---- painting
    // Marks the client area, or a rectangle of it, for repainting (with
    // background erase when asked).
    void Invalidate(bool erase = true);
    void InvalidateRect(const RECT* rect, bool erase = true);
    // RDW_ flags; with RDW_UPDATENOW the area is painted before this returns.
    void RedrawWindow(UINT flags) { RedrawWindow(nullptr, flags); }
    void RedrawWindow(const RECT* rect, UINT flags);
    // Paints what is invalid now.
    void UpdateWindow();
    // Toggles an inverted rectangle drawn over the client area at once and
    // kept over every later paint until toggled off: the tracking lines of
    // drags, which inverting the same rectangle again removes.
    void InvertTracker(const RECT& rect);

    // ---- timers
    // Starts or restarts timer id; WM_TIMER then arrives with wParam id.
    void SetTimer(uintptr_t id, int milliseconds);
    void KillTimer(uintptr_t id);

    // ---- mouse
    // Mouse messages go to the capturing window wherever the pointer is; the
    // window losing the capture gets WM_CAPTURECHANGED (lParam: the new one).
    CWnd* SetCapture();
    static BOOL ReleaseCapture();
    static CWnd* GetCapture();
    // With TME_LEAVE, WM_MOUSELEAVE arrives once when the pointer leaves.
    BOOL TrackMouseEvent(UINT flags);
    // The cursor shown where no WM_SETCURSOR handler chooses one (the class cursor).
    void SetClassCursor(Cursor cursor) { classCursor_ = cursor; }

    // ---- dropped files
    // With true, files dropped on the window (from a file manager's
    // text/uri-list) arrive as WM_DROPFILES; DroppedFiles(wParam) lists them.
    void DragAcceptFiles(bool accept);
    static const std::vector<std::string>& DroppedFiles(WPARAM drop) {
        return *reinterpret_cast<const std::vector<std::string>*>(drop);
    }

    // ---- scroll bars (SB_HORZ, SB_VERT; SB_BOTH where it makes sense)
    // Sets range, page and position as the mask says; shows the bar when the
    // range can scroll, hides it (or disables it with SIF_DISABLENOSCROLL)
    // when it cannot. Returns the position, kept within the range.
    int SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw = true);
    BOOL GetScrollInfo(int bar, SCROLLINFO* info) const;
    void ShowScrollBar(int bar, bool show);
    bool IsScrollBarShown(int bar) const;

protected:
    // The class's own handling of a message; the default is DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Adopts a Qt widget as the window's control: it fills the client area,
    // takes the focus for the window, and its input passes through the
    // window procedure first.
    void HostControl(QWidget* control);
    QWidget* HostedControl() const { return hosted_; }
    // The hosted control, or the viewport its input arrives in (a scroll area's).
    bool IsHostedInput(const QWidget* widget) const {
        return widget && (widget == hosted_ || widget == hostedViewport_);
    }
    // A control class's own answer to a message, before the standard
    // handling of DefWindowProc (the edit and combo-box messages); false
    // when the class has none.
    virtual bool ControlMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CNonClientFrame;
    friend struct WindowEvents;
    struct MessageEvent;

    static int MessageEventType();
    void RunQueuedMessage(QEvent* event);
    void Post(MessageEvent* event);
    static LRESULT StandardWindowProc(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam, QEvent* event = nullptr, QWidget* source = nullptr);
    LRESULT DefaultForEvent(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultForMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Gives an event to a widget's own handling, past this window's filter.
    bool DeliverToWidget(QWidget* widget, QEvent* event);
    // The event given to a hosted control for default handling, or what Qt
    // makes of it on its way up (a copy for each parent, for mouse events).
    bool IsDefaultBeingDelivered(const QEvent* event) const;
    // A key message that came without a Qt event, given to the hosted control as one.
    void DeliverKeyMessage(UINT message, WPARAM wParam);
    CNonClientFrame& Frame();
    void ApplyStyles();
    void PaintInversions(QWidget* surface);
    void PaintFrame();

    WNDPROC windowProc_ = StandardWindowProc;
    std::string text_;
    bool eraseRequested_ = true;
    bool destroyed_ = false;
    bool creating_ = false; // in Create, until WM_CREATE has been answered
    UINT id_ = 0;
    QPointer<CWnd> owner_;
    uint32_t style_ = 0;
    uint32_t exStyle_ = 0;
    const CFont* font_ = nullptr;
    Cursor classCursor_ = Cursor::Arrow;
    bool trackingLeave_ = false;
    std::map<int, uintptr_t> timers_; // Qt timer id -> our id
    std::unique_ptr<CNonClientFrame> frame_;
    QPointer<QWidget> hosted_;
    QPointer<QWidget> hostedViewport_;
    QEvent* deliveringDefault_ = nullptr;
    QEvent* typedEvent_ = nullptr;   // the key event whose text the hosted control has typed
    QEvent* focusMovedBy_ = nullptr; // the Tab key event that moved the focus on
    std::vector<RECT> inversions_;
};

// The message being handled on this thread, as the framework records it:
// default handling inside a hook forwards exactly this message.
struct CurrentMessage {
    CWnd* window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QEvent* event = nullptr;   // the Qt event the message came from, if any
    QWidget* source = nullptr; // the widget that received it: the window, its client area or its control
};
CurrentMessage& ThreadCurrentMessage();

// Gives a widget its place and size at once. Qt tells a hidden widget of a
// new size only when it is shown; windows hear of it (WM_SIZE) right away.
void SetGeometryNow(QWidget* widget, const QRect& geometry);

// Runs work on the user-interface thread and waits for it to finish (at
// once when called there). The thread there keeps serving its events only
// as it normally does: do not call it while the user-interface thread
// waits for the caller without pumping.
void CallOnUiThread(const std::function<void()>& work);

// Serves this thread's events until done() holds: the nested message loop of
// a window that waits for a worker thread, so that the worker's messages and
// message boxes are answered meanwhile.
void PumpMessagesUntil(const std::function<bool()>& done);

// Sets the cursor of the window under the pointer (the one receiving mouse
// messages, or the capture).
void SetCursor(Cursor cursor);
Cursor GetCursor();
// The busy cursor over the whole application while the object lives.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

class CPaintDC;
