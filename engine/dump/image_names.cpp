#include "engine/dump/image_names.h"

#include "engine/settings/convert_settings.h"
#include "engine/dump/format_conversion.h"

#include <algorithm>
#include <cctype>
#include <regex>

std::optional<std::string> ImageFileStem(const std::string& name) {
    std::vector<std::string> extensions = {".mask.pgm", ".jpg", ".pbm", ".ppm", ".pam"};
    for (int format = OUTPUT_JPG; format <= OUTPUT_PCX; ++format)
        extensions.push_back(FormatExtension(format));
    for (const std::string& extension : extensions)
        if (name.size() > extension.size() &&
            name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            return name.substr(0, name.size() - extension.size());
    return std::nullopt;
}

std::optional<ImageNameTemplate> ImageNameTemplate::Parse(const std::string& text, std::string* error) {
    if (text.empty()) {
        *error = "the template is empty";
        return std::nullopt;
    }
    if (text.find('/') != std::string::npos || text.find('\0') != std::string::npos) {
        *error = "a file name cannot hold '/'; the images stay in the output folder";
        return std::nullopt;
    }
    if (text.find("..") != std::string::npos) {
        *error = "'..' could name a folder above the output folder";
        return std::nullopt;
    }
    if (text[0] == '.') {
        *error = "a name that starts with '.' would be hidden among the run's own files";
        return std::nullopt;
    }
    ImageNameTemplate parsed;
    static const std::regex placeholder(R"(\{(title|page|n|obj)(:0([1-9]))?\})");
    for (size_t at = 0; at < text.size();) {
        const size_t open = text.find('{', at);
        const size_t close = text.find('}', at);
        if (close < open) {
            *error = "'}' without '{'";
            return std::nullopt;
        }
        if (open == std::string::npos) {
            parsed.pieces_.push_back({text.substr(at), "", 0});
            break;
        }
        if (open > at)
            parsed.pieces_.push_back({text.substr(at, open - at), "", 0});
        std::smatch parts;
        const std::string rest = text.substr(open, close == std::string::npos ? std::string::npos : close - open + 1);
        if (close == std::string::npos || !std::regex_match(rest, parts, placeholder)) {
            *error = "unknown placeholder '" + rest + "'; use {title}, {page}, {n} or {obj}, padded as {page:04}";
            return std::nullopt;
        }
        parsed.pieces_.push_back({"", parts[1], parts[3].matched ? std::stoi(parts[3]) : 0});
        at = close + 1;
    }
    return parsed;
}

bool ImageNameTemplate::UsesTitle() const {
    for (const Piece& piece : pieces_)
        if (piece.field == "title")
            return true;
    return false;
}

std::string ImageNameTemplate::Expand(const std::string& title, int page, int number, int object) const {
    std::string name;
    auto padded = [](int value, int width) {
        std::string digits = std::to_string(value);
        return digits.size() < static_cast<size_t>(width) ? std::string(width - digits.size(), '0') + digits : digits;
    };
    for (const Piece& piece : pieces_) {
        if (piece.field.empty())
            name += piece.text;
        else if (piece.field == "title")
            name += title;
        else if (piece.field == "page")
            name += padded(page, piece.width);
        else if (piece.field == "n")
            name += padded(number, piece.width);
        else
            name += object > 0 ? padded(object, piece.width) : "inline";
    }
    return name;
}

bool ImageNameTemplate::CouldName(const std::string& stem, const std::string& title) const {
    auto escaped = [](const std::string& text) {
        static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
        return std::regex_replace(text, special, R"(\$&)");
    };
    std::string pattern;
    for (const Piece& piece : pieces_) {
        if (piece.field.empty())
            pattern += escaped(piece.text);
        else if (piece.field == "title")
            pattern += escaped(title);
        else if (piece.field == "obj")
            pattern += "(\\d+|inline)";
        else
            pattern += "\\d+";
    }
    return std::regex_match(stem, std::regex(pattern + "(-\\d+)?"));
}

std::string ImageNames::Claim(int page, int number, int object) {
    const std::string name = template_.Expand(title_, page, number, object);
    std::string unique = name;
    // "name-2" may itself be a name the template gives: count on until free.
    for (int& uses = claimed_[name]; uses > 0 && claimed_.count(unique);)
        unique = name + "-" + std::to_string(++uses);
    ++claimed_[unique];
    return directory_ + unique;
}

bool IsImageFileOf(const std::string& name, const std::string& title) {
    if (name.compare(0, title.size() + 1, title + "-") != 0)
        return false;
    size_t digits = title.size() + 1, end = name.find('.', digits);
    if (end == std::string::npos || end == digits)
        return false;
    return std::all_of(name.begin() + static_cast<long>(digits), name.begin() + static_cast<long>(end),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool CouldBeImageFile(const std::string& name, const std::string& nameTemplate, const std::string& title,
                      const std::string& root) {
    const std::optional<std::string> stem = ImageFileStem(name);
    if (!stem)
        return false;
    std::string error;
    if (const std::optional<ImageNameTemplate> parsed = ImageNameTemplate::Parse(nameTemplate, &error))
        return parsed->CouldName(*stem, title);
    // The default names number images with at least three digits.
    return stem->size() >= root.size() + 4 && IsImageFileOf(*stem + ".", root);
}
