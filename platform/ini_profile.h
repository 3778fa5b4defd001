#pragma once
// Private-profile (INI) access: one integer read and one string write per call,
// as the settings code expects. Section and key names compare case-insensitively;
// every other section, key, comment and blank line of the file is kept as it is.
#include <string>

namespace platform {

// The decimal integer stored under [section] key, or defaultValue when the file,
// the section or the key is missing. A value that does not start with a number
// reads as 0; leading digits are taken ("12px" reads as 12).
int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path);

// The trimmed text stored under [section] key, or defaultValue when the file,
// the section or the key is missing.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path);

// Stores value under [section] key, creating the file and the section when they
// are missing and replacing an existing value in place. The file is replaced
// atomically, so a failed write leaves the old file intact. False on failure.
bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& path);

} // namespace platform
