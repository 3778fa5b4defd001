#include "engine/settings/text_format.h"

#include <gtest/gtest.h>

TEST(TextFormat, GroupsThousandsWithCommas) {
    struct Case {
        std::uint64_t value;
        const char* text;
    } cases[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1536, "1,536"}, {1234567, "1,234,567"},
                 {18446744073709551615ull, "18,446,744,073,709,551,615"}};
    for (const Case& c : cases)
        EXPECT_EQ(FormatThousands(c.value), c.text);
}

TEST(TextFormat, LocalTimeHasTwoDigitFieldsAndFourDigitYear) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 4;
    when.tm_hour = 7;
    when.tm_min = 5;
    when.tm_sec = 9;
    when.tm_isdst = -1;
    EXPECT_EQ(FormatLocalTime(std::mktime(&when)), "07:05:09 03/04/2026");
}
