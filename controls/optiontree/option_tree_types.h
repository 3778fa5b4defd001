#pragma once
// The option tree's option bits, notification codes and record, and hit codes.
#include "platform/ui/win_types.h"

class CChoiceTreeItem;

// Tree options.
enum : UINT {
    CT_SHOWINFOPANE = 0x01,
    CT_NOTIFYOWNER = 0x02,
    CT_INFOPROMPT = 0x04,
    CT_SHADEMARGIN = 0x08,
    CT_SHADECATEGORIES = 0x10,
};

// Notifications to the owner (WM_NOTIFY).
enum : int {
    CTN_INSERTITEM = -1101,
    CTN_DELETEITEM = -1102,
    CTN_ITEMCHANGED = -1105,
    CTN_SELCHANGE = -1107,
    CTN_ITEMEXPANDING = -1108,
    CTN_COLUMNCLICK = -1109,
    CTN_ATTRIBUTECLICK = -1110,
};

struct ChoiceTreeNotify {
    NMHDR hdr;
    CChoiceTreeItem* item = nullptr;
};

// What lies under a point of the list.
enum : int {
    CT_HIT_LABEL = 2024,
    CT_HIT_COLUMN = 2025,
    CT_HIT_EXPAND = 2026,
    CT_HIT_ATTRIBUTE = 2027,
    CT_HIT_NONE = 2028,
};

// Fixed measures of the list.
constexpr int CT_ROW_HEIGHT = 21;      // a row, and a line or wheel step
constexpr int CT_MARGIN = 16;          // the shaded margin at the left
constexpr int CT_COLUMN = 150;         // the divider between labels and values
constexpr int CT_INFO_HEIGHT = 50;     // the description pane
constexpr int CT_COLUMN_CAPTURE = 5;   // pixels either side of the divider
