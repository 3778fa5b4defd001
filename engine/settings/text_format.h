#pragma once
// Number and time texts shared by the summary and the job list.
#include <cstdint>
#include <ctime>
#include <string>

// Decimal with a comma between groups of three digits: 1234567 -> "1,234,567".
std::string FormatThousands(std::uint64_t value);
// Local time as "%H:%M:%S %m/%d/%Y".
std::string FormatLocalTime(std::time_t time);
// printf-style formatting into a std::string.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
