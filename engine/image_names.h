#pragma once
// File names of a document's images from a template such as
// "{title}-p{page:03}-{n}": {title} the document's title, {page} its page,
// {n} the image's number, {obj} its object number ("inline" for inline
// images), each with an optional zero padding (":03"). Names that come out
// alike within a document get "-2", "-3"... whatever their extension, so that
// no conversion writes over another image.
#include <map>
#include <optional>
#include <string>
#include <vector>

class ImageNameTemplate {
public:
    // The template, or nothing with the reason in error: an unknown or
    // unclosed placeholder, a path separator, "..", a leading dot, or nothing at all.
    static std::optional<ImageNameTemplate> Parse(const std::string& text, std::string* error);

    bool UsesTitle() const;
    std::string Expand(const std::string& title, int page, int number, int object) const;

private:
    struct Piece {
        std::string text;      // literal text, when field is empty
        std::string field;     // "title", "page", "n" or "obj"
        int width = 0;         // zero padding
    };
    std::vector<Piece> pieces_;
};

// Claims the names of one document's images, in the order they are written.
class ImageNames {
public:
    ImageNames(ImageNameTemplate nameTemplate, std::string directory, std::string title)
        : template_(std::move(nameTemplate)), directory_(std::move(directory)), title_(std::move(title)) {}
    // The path of the image's file without its extension.
    std::string Claim(int page, int number, int object);

private:
    ImageNameTemplate template_;
    std::string directory_;
    std::string title_;
    std::map<std::string, int> claimed_; // name -> how many images asked for it
};
