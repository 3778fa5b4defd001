#pragma once
// Text shown on a terminal: names of files and words of documents may hold
// control characters that a terminal would obey (retitle its window, change
// its colours, move the cursor). On a terminal they are shown as "\xNN"
// escapes instead, as a careful listing does; elsewhere the bytes go out as
// they are.
#include <string>

// The text with each control character (C0, DEL, and C1 as UTF-8 encodes
// it) written as "\xNN", byte by byte; line breaks are kept when asked.
std::string TerminalText(const std::string& text, bool keepLineBreaks);
