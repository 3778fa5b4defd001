#include "engine/image_names.h"

#include <regex>

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

std::string ImageNames::Claim(int page, int number, int object) {
    const std::string name = template_.Expand(title_, page, number, object);
    std::string unique = name;
    // "name-2" may itself be a name the template gives: count on until free.
    for (int& uses = claimed_[name]; uses > 0 && claimed_.count(unique);)
        unique = name + "-" + std::to_string(++uses);
    ++claimed_[unique];
    return directory_ + unique;
}
