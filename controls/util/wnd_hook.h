#pragma once
// CWndHook watches, and may swallow, the messages of a window it does not
// own. Hooking replaces the window's procedure once by a shared hook
// procedure; the hooks of one window form a chain from the newest to the
// oldest, and the oldest passes messages to the window's previous procedure.
#include "platform/ui/wnd.h"

class CWndHook {
public:
    CWndHook() = default;
    virtual ~CWndHook();
    CWndHook(const CWndHook&) = delete;
    CWndHook& operator=(const CWndHook&) = delete;

    // Installs this hook on window; null removes it from its window. Always TRUE.
    BOOL HookWindow(CWnd* window);
    CWnd* HookedWindow() const { return m_hWnd; }

    // Acts on a message; the default passes it on to the next (older) hook or
    // to the window's previous procedure. Returning without calling it
    // swallows the message.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class CWndHookMap;
    CWnd* m_hWnd = nullptr;
    CWnd::WNDPROC m_pOldWndProc = nullptr;
    CWndHook* m_pNext = nullptr;
};

// The process-wide map from a window to its newest hook. User-interface thread only.
class CWndHookMap {
public:
    static CWndHook* Lookup(CWnd* window);
    static void Add(CWnd* window, CWndHook* hook);
    static void Remove(CWndHook* hook);
    static void RemoveAll(CWnd* window);
    // The window procedure put into hooked windows.
    static LRESULT HookWndProc(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);
};
