#include "engine/settings/natural_order.h"

#include <cctype>

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The run of digits that begins at i, without its leading zeros; i moves past it.
std::string DigitRun(const std::string& text, size_t& i) {
    while (i + 1 < text.size() && text[i] == '0' && IsDigit(text[i + 1]))
        ++i;
    const size_t start = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return text.substr(start, i - start);
}

} // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::string x = DigitRun(a, i), y = DigitRun(b, j);
            if (x.size() != y.size())
                return x.size() < y.size();
            if (x != y)
                return x < y;
            continue;
        }
        const int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[j]));
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return j < b.size(); // the shorter one first
    return a < b;
}
