#pragma once
// System colours by Win32 index, read when drawing: from the application's
// palette, or from a pinned table (tests pin one so pixels are predictable).
#include "platform/ui/win_types.h"

COLORREF GetSysColor(int index);

// Pins every system colour to the classic table below; Unpin returns to the palette.
void PinSysColors();
void UnpinSysColors();

// The classic table, by index (unlisted indexes are black).
COLORREF ClassicSysColor(int index);
