#pragma once
// Whether a page can hand any image to the dump device, decided from its
// objects alone, without interpreting its content: what the page draws
// (content, resources, annotations) holds no image stream and no content
// stream with an inline image. Listing a long document passes over its pages
// of text this way.
#include <map>
#include <optional>
#include <set>
#include <utility>

class Object;
class PDFDoc;
class XRef;

class PageImageScan {
public:
    explicit PageImageScan(PDFDoc& document) : document_(document) {}

    // False only when the page certainly draws no image.
    bool MayDrawImages(int page);

private:
    // Whether the object, or what it leads to, is an image or a content
    // stream with an inline image.
    bool Reaches(const Object& object, XRef* xref, std::set<std::pair<int, int>>& visited, int depth);
    // The same for the entries of an array, a dictionary or a stream's dictionary.
    bool ReachesFrom(const Object& object, XRef* xref, std::set<std::pair<int, int>>& visited, int depth);
    // Remembered by object when it has one.
    bool HasInlineImage(const Object& stream, std::optional<std::pair<int, int>> object);

    PDFDoc& document_;
    std::map<std::pair<int, int>, bool> inlineImages_; // content streams scanned, by object
};
