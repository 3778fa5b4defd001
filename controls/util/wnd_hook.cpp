#include "controls/util/wnd_hook.h"

#include <map>

namespace {

std::map<CWnd*, CWndHook*>& HookMap() {
    static std::map<CWnd*, CWndHook*> map;
    return map;
}

} // namespace

CWndHook::~CWndHook() {
    if (m_hWnd)
        HookWindow(nullptr);
}

BOOL CWndHook::HookWindow(CWnd* window) {
    if (window) {
        if (m_hWnd) // a hook sits on one window at a time
            HookWindow(nullptr);
        CWndHookMap::Add(window, this);
        m_hWnd = window;
    } else if (m_hWnd) {
        CWndHookMap::Remove(this);
        m_pOldWndProc = nullptr;
        m_hWnd = nullptr;
    }
    return 1;
}

LRESULT CWndHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pNext)
        return m_pNext->WindowProc(message, wParam, lParam);
    return CWnd::CallWindowProc(m_pOldWndProc, m_hWnd, message, wParam, lParam);
}

CWndHook* CWndHookMap::Lookup(CWnd* window) {
    auto found = HookMap().find(window);
    return found == HookMap().end() ? nullptr : found->second;
}

void CWndHookMap::Add(CWnd* window, CWndHook* hook) {
    hook->m_pNext = Lookup(window);
    HookMap()[window] = hook;
    hook->m_pOldWndProc = hook->m_pNext ? hook->m_pNext->m_pOldWndProc : window->SetWindowProc(HookWndProc);
}

void CWndHookMap::Remove(CWndHook* hook) {
    CWnd* window = hook->m_hWnd;
    CWndHook* first = Lookup(window);
    if (first == hook) {
        if (hook->m_pNext) {
            HookMap()[window] = hook->m_pNext;
        } else {
            HookMap().erase(window);
            window->SetWindowProc(hook->m_pOldWndProc);
        }
    } else {
        for (CWndHook* h = first; h; h = h->m_pNext)
            if (h->m_pNext == hook) {
                h->m_pNext = hook->m_pNext;
                break;
            }
    }
    hook->m_pNext = nullptr;
}

void CWndHookMap::RemoveAll(CWnd* window) {
    while (CWndHook* hook = Lookup(window))
        hook->HookWindow(nullptr);
}

LRESULT CWndHookMap::HookWndProc(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage saved = ThreadCurrentMessage();
    CurrentMessage& current = ThreadCurrentMessage();
    current.window = window;
    current.message = message;
    current.wParam = wParam;
    current.lParam = lParam;

    LRESULT result = 0;
    CWndHook* hook = Lookup(window);
    if (message == WM_NCDESTROY) {
        CWnd::WNDPROC previous = hook->m_pOldWndProc;
        RemoveAll(window);
        result = CWnd::CallWindowProc(previous, window, message, wParam, lParam);
    } else {
        result = hook->WindowProc(message, wParam, lParam);
    }
    ThreadCurrentMessage() = saved;
    return result;
}
