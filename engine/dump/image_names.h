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
    // Whether a name without its extension is one Expand and ImageNames give
    // some image of the document of this title, "-2"... for names alike included.
    bool CouldName(const std::string& stem, const std::string& title) const;

private:
    struct Piece {
        std::string text;      // literal text, when field is empty
        std::string field;     // "title", "page", "n" or "obj"
        int width = 0;         // zero padding
    };
    std::vector<Piece> pieces_;
};

// Whether a file name in a document's output folder is one of its default
// names, whatever the extension: the title (empty in a folder of its own),
// "-", digits, an extension.
bool IsImageFileOf(const std::string& name, const std::string& title);

// The name without its extension when the extension is one a run gives its
// image files: the dump's (".jpg", ".pbm", ".ppm", ".pam", ".mask.pgm") or an
// output format's; otherwise nothing.
std::optional<std::string> ImageFileStem(const std::string& name);

// Whether a file name is one a run could give an image of the document: a
// name the template gives for this title or, without a template,
// "ROOT-NNN" (root the title in a shared folder, "" in the document's own),
// with an image file's extension (ImageFileStem). The user's own files beside them
// ("report-2023.csv", "scan-1.pdf") never are.
bool CouldBeImageFile(const std::string& name, const std::string& nameTemplate, const std::string& title,
                      const std::string& root);

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
