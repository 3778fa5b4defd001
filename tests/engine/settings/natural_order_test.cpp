#include "engine/settings/natural_order.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(NaturalOrder, NumbersCompareByValueAndLettersWithoutCase) {
    const std::vector<std::vector<std::string>> sorted = {
        {"doc-2.pdf", "doc-10.pdf"},
        {"doc-2.pdf", "doc-02b.pdf", "doc-10.pdf"},
        {"a.pdf", "B.pdf", "c.pdf"},
        {"page9", "page10", "page100"},
        {"x", "x1", "x1a", "x2"},
        {"007.pdf", "7.pdf"}, // equal values: by their bytes
        {"Report.pdf", "report.pdf"},
    };
    for (const auto& names : sorted) {
        std::vector<std::string> shuffled(names.rbegin(), names.rend());
        std::sort(shuffled.begin(), shuffled.end(), NaturalLess);
        EXPECT_EQ(shuffled, names);
    }
}
