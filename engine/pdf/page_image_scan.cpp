#include "engine/pdf/page_image_scan.h"

#include <PDFDoc.h>
#include <Page.h>
#include <Stream.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Deeper nesting than this is treated as holding images, to stay safe.
const int kDeepest = 64;

// Entries that lead away from what the page draws: the page tree, other
// pages, actions and destinations, fonts (Type 3 glyphs are not drawn for
// the device), thumbnails and metadata.
bool LeadsAway(const char* key) {
    for (const char* away : {"Parent", "P", "Dest", "D", "A", "AA", "Font", "Thumb", "Metadata", "StructParent",
                             "StructParents", "Popup", "IRT", "Next", "Prev", "First", "Last", "Kids"})
        if (std::strcmp(key, away) == 0)
            return true;
    return false;
}

bool IsDelimiter(int c) { return c == 0 || std::strchr(" \t\r\n\f()<>[]{}/%", c) != nullptr; }

} // namespace

bool PageImageScan::MayDrawImages(int page) {
    Page* chosen = document_.getPage(page);
    if (!chosen)
        return true; // the device is told of it however the engine copes
    XRef* xref = document_.getXRef();
    std::set<std::pair<int, int>> visited;
    return Reaches(*chosen->getResourceDictObject(), xref, visited, 0) ||
           Reaches(chosen->getContents(), xref, visited, 0) ||
           Reaches(chosen->getAnnotsObject(xref), xref, visited, 0);
}

bool PageImageScan::Reaches(const Object& object, XRef* xref, std::set<std::pair<int, int>>& visited, int depth) {
    if (depth > kDeepest)
        return true;
    std::optional<std::pair<int, int>> id;
    Object fetched;
    const Object* target = &object;
    if (object.isRef()) {
        const Ref ref = object.getRef();
        id = {ref.num, ref.gen};
        if (!visited.insert(*id).second)
            return false;
        fetched = xref->fetch(ref);
        target = &fetched;
    }
    // A stream met already fetched is the page's single content stream.
    if (target->isStream() &&
        (target->streamGetDict()->lookup("Subtype").isName("Image") || HasInlineImage(*target, id)))
        return true;
    return ReachesFrom(*target, xref, visited, depth);
}

bool PageImageScan::ReachesFrom(const Object& object, XRef* xref, std::set<std::pair<int, int>>& visited,
                                int depth) {
    if (object.isArray()) {
        for (int i = 0; i < object.arrayGetLength(); ++i)
            if (Reaches(object.arrayGetNF(i), xref, visited, depth + 1))
                return true;
        return false;
    }
    const Dict* dict = object.isDict() ? object.getDict() : object.isStream() ? object.streamGetDict() : nullptr;
    if (!dict)
        return false;
    const Object type = dict->lookupNF("Type").copy();
    if (depth > 0 && (type.isName("Page") || type.isName("Pages") || type.isName("Catalog")))
        return false;
    for (int i = 0; i < dict->getLength(); ++i)
        if (!LeadsAway(dict->getKey(i)) && Reaches(dict->getValNF(i), xref, visited, depth + 1))
            return true;
    return false;
}

// Looks for the operator that starts an inline image ("BI" between
// delimiters) in the stream's decoded bytes; remembered per object.
bool PageImageScan::HasInlineImage(const Object& stream, std::optional<std::pair<int, int>> object) {
    if (object) {
        const auto known = inlineImages_.find(*object);
        if (known != inlineImages_.end())
            return known->second;
    }
    Stream* str = stream.getStream();
    bool found = false;
    if (str) {
        str->reset();
        std::vector<unsigned char> block(64 * 1024);
        // The last three bytes read; the start of the stream counts as a delimiter.
        int a = ' ', b = ' ', c = ' ';
        for (int got; !found && (got = str->doGetChars(static_cast<int>(block.size()), block.data())) > 0;) {
            for (int i = 0; i < got && !found; ++i) {
                const int d = block[static_cast<size_t>(i)];
                found = b == 'B' && c == 'I' && IsDelimiter(a) && IsDelimiter(d);
                a = b;
                b = c;
                c = d;
            }
        }
        // "BI" at the very end of the stream.
        found = found || (b == 'B' && c == 'I' && IsDelimiter(a));
        str->close();
    }
    if (object)
        inlineImages_[*object] = found;
    return found;
}
