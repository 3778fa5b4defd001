#include "platform/ui/input_state.h"

#include <QCursor>
#include <algorithm>
#include <optional>

namespace {

struct InputState {
    Qt::KeyboardModifiers modifiers;
    Qt::MouseButtons buttons;
    POINT messagePos;
};

InputState& ThreadInput() {
    static thread_local InputState state;
    return state;
}

std::optional<POINT> pinnedCursor;
std::optional<RECT> cursorClip;

} // namespace

void RecordInputState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    ThreadInput().modifiers = modifiers;
    ThreadInput().buttons = buttons;
}

void RecordKeyTransition(int virtualKey, bool down) {
    Qt::KeyboardModifier modifier = virtualKey == VK_SHIFT     ? Qt::ShiftModifier
                                    : virtualKey == VK_CONTROL ? Qt::ControlModifier
                                    : virtualKey == VK_MENU    ? Qt::AltModifier
                                                               : Qt::NoModifier;
    ThreadInput().modifiers.setFlag(modifier, down);
}

void RecordMessagePos(POINT screen) { ThreadInput().messagePos = screen; }

short GetKeyState(int virtualKey) {
    const InputState& state = ThreadInput();
    bool down = false;
    switch (virtualKey) {
    case VK_SHIFT: down = state.modifiers & Qt::ShiftModifier; break;
    case VK_CONTROL: down = state.modifiers & Qt::ControlModifier; break;
    case VK_MENU: down = state.modifiers & Qt::AltModifier; break;
    case VK_LBUTTON: down = state.buttons & Qt::LeftButton; break;
    case VK_RBUTTON: down = state.buttons & Qt::RightButton; break;
    case VK_MBUTTON: down = state.buttons & Qt::MiddleButton; break;
    default: break;
    }
    return down ? static_cast<short>(0x8000) : 0;
}

POINT ClipToCursorRect(POINT screen) {
    if (cursorClip) {
        screen.x = std::clamp(screen.x, cursorClip->left, cursorClip->right - 1);
        screen.y = std::clamp(screen.y, cursorClip->top, cursorClip->bottom - 1);
    }
    return screen;
}

BOOL GetCursorPos(POINT* point) {
    if (!point)
        return 0;
    if (pinnedCursor) {
        *point = ClipToCursorRect(*pinnedCursor);
    } else {
        const QPoint at = QCursor::pos();
        *point = ClipToCursorRect(POINT{at.x(), at.y()});
    }
    return 1;
}

void PinCursorPos(const POINT* point) {
    if (point)
        pinnedCursor = *point;
    else
        pinnedCursor.reset();
}

uint32_t GetMessagePos() {
    const POINT at = ThreadInput().messagePos;
    return static_cast<uint32_t>(MAKELPARAM(at.x, at.y));
}

BOOL ClipCursor(const RECT* rect) {
    if (rect && !rect->IsRectEmpty())
        cursorClip = *rect;
    else
        cursorClip.reset();
    return 1;
}
