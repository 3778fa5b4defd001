#include "platform/ini_profile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <cstdint>
#include <strings.h>
#include <vector>

namespace platform {
namespace {

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// A section header "[name]" gives its name; any other line gives nothing.
bool SectionName(const std::string& line, std::string* name) {
    std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']')
        return false;
    *name = Trim(trimmed.substr(1, trimmed.size() - 2));
    return true;
}

// A "key=value" line gives its trimmed key and value.
bool KeyValue(const std::string& line, std::string* key, std::string* value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    *key = Trim(line.substr(0, equals));
    *value = Trim(line.substr(equals + 1));
    return !key->empty() && (*key)[0] != ';' && (*key)[0] != '#';
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

struct KeyLocation {
    int sectionLine = -1;     // index of the "[section]" line, -1 when missing
    int keyLine = -1;         // index of the key's line, -1 when missing
    int lastContentLine = -1; // last non-blank line of the section
};

KeyLocation Locate(const std::vector<std::string>& lines, const std::string& section, const std::string& key) {
    KeyLocation where;
    bool inSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string name, k, v;
        if (SectionName(lines[i], &name)) {
            if (inSection)
                break;
            inSection = SameName(name, section);
            if (inSection)
                where.sectionLine = where.lastContentLine = i;
            continue;
        }
        if (!inSection)
            continue;
        if (!Trim(lines[i]).empty())
            where.lastContentLine = i;
        if (where.keyLine < 0 && KeyValue(lines[i], &k, &v) && SameName(k, key))
            where.keyLine = i;
    }
    return where;
}

} // namespace

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, const std::string& path) {
    std::vector<std::string> lines = ReadLines(path);
    KeyLocation where = Locate(lines, section, key);
    if (where.keyLine < 0)
        return defaultValue;
    std::string k, value;
    KeyValue(lines[where.keyLine], &k, &value);
    return value;
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path) {
    const std::string missing = "\n"; // no stored value holds a line break
    const std::string value = GetPrivateProfileString(section, key, missing, path);
    if (value == missing)
        return defaultValue;
    // strtol takes the leading number and yields 0 when there is none.
    long number = std::strtol(value.c_str(), nullptr, 10);
    if (number > INT32_MAX || number < INT32_MIN)
        return 0;
    return static_cast<int>(number);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& path) {
    std::vector<std::string> lines = ReadLines(path);
    KeyLocation where = Locate(lines, section, key);
    std::string entry = key + "=" + value;
    if (where.keyLine >= 0) {
        lines[where.keyLine] = entry;
    } else if (where.sectionLine >= 0) {
        lines.insert(lines.begin() + where.lastContentLine + 1, entry);
    } else {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.push_back("");
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }

    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines)
            out << line << '\n';
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace platform
