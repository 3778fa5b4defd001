#include "cli/terminal_text.h"

#include <cstdio>

namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02x", byte);
    out += escape;
}

} // namespace

std::string TerminalText(const std::string& text, bool keepLineBreaks) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == '\n' && keepLineBreaks) {
            shown += '\n';
        } else if (byte < 0x20 || byte == 0x7f) {
            AppendEscaped(shown, byte);
        } else if (byte == 0xc2 && next >= 0x80 && next <= 0x9f) { // U+0080 to U+009F
            AppendEscaped(shown, byte);
            AppendEscaped(shown, next);
            ++i;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}
