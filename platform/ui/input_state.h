#pragma once
// The input state that window code asks for between messages: keys held
// down as of the message being handled, the cursor position (which tests
// pin), the position of the last mouse message, and the cursor clip.
#include "platform/ui/win_types.h"

#include <Qt>

// Negative (high bit set) when the key or mouse button (VK_SHIFT,
// VK_CONTROL, VK_MENU, VK_LBUTTON, VK_RBUTTON, VK_MBUTTON) was down at the
// last input message of this thread.
short GetKeyState(int virtualKey);
// The cursor in screen coordinates: the pinned one, or the pointer's; kept
// inside the ClipCursor rectangle.
BOOL GetCursorPos(POINT* point);
// Pins the cursor position for tests; null returns to the pointer's.
void PinCursorPos(const POINT* point);
// Screen position of the last mouse message, x in the low word, y in the high word.
uint32_t GetMessagePos();
// Confines what GetCursorPos and mouse messages report to a screen
// rectangle; null lifts it. (The pointer itself is not held.)
BOOL ClipCursor(const RECT* rect);

// Called by the window layer for every input event it translates.
void RecordInputState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
void RecordKeyTransition(int virtualKey, bool down);
void RecordMessagePos(POINT screen);
// Applies the cursor clip to a screen point.
POINT ClipToCursorRect(POINT screen);
