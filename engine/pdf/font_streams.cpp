#include "engine/pdf/font_streams.h"

#include "engine/pdf/flate_data.h"

#include <XRef.h>

namespace {

// Font streams beyond this, once inflated, stay with the library.
const std::int64_t kLargestFontStream = 64ll * 1024 * 1024;

// Puts the inflated data of the stream that ref names in its place in the
// table, unless it is there already or in doubt.
void InflateInPlace(XRef* xref, const Object& ref) {
    if (!ref.isRef() || xref->getEntry(ref.getRefNum(), false)->getFlag(XRefEntry::Updated))
        return;
    Object stream = ref.fetch(xref);
    if (!stream.isStream())
        return;
    // The stream keeps its dictionary (a font program's /Subtype...).
    const Object inMemory = InflatedStream(stream.getStream(), kLargestFontStream);
    if (!inMemory.isNull())
        xref->setModifiedObject(&inMemory, ref.getRef());
}

// The streams a font dictionary reads when the library loads the font.
void InflateFont(XRef* xref, Dict* font) {
    Object descriptor = font->lookup("FontDescriptor");
    if (descriptor.isDict())
        for (const char* key : {"FontFile", "FontFile2", "FontFile3"})
            InflateInPlace(xref, descriptor.dictLookupNF(key));
    InflateInPlace(xref, font->lookupNF("ToUnicode"));
    InflateInPlace(xref, font->lookupNF("CIDToGIDMap"));
    InflateInPlace(xref, font->lookupNF("Encoding"));
}

} // namespace

void InflateFontStreams(XRef* xref, Dict* resources) {
    if (!resources)
        return;
    Object fonts = resources->lookup("Font");
    if (!fonts.isDict())
        return;
    for (int i = 0; i < fonts.dictGetLength(); ++i) {
        Object font = fonts.dictGetVal(i);
        if (!font.isDict())
            continue;
        InflateFont(xref, font.getDict());
        // A composite font's glyphs are those of its descendant.
        Object descendants = font.dictLookup("DescendantFonts");
        if (descendants.isArray() && descendants.arrayGetLength() > 0) {
            Object descendant = descendants.arrayGet(0);
            if (descendant.isDict())
                InflateFont(xref, descendant.getDict());
        }
    }
}
