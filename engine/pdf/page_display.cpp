#include "engine/pdf/page_display.h"

#include "engine/pdf/flate_data.h"
#include "engine/pdf/font_streams.h"

#include <Annot.h>
#include <Gfx.h>
#include <OutputDev.h>
#include <PDFDoc.h>
#include <Page.h>

#include <memory>

namespace {

// A page's content stored in more than this is left to the library, which
// reads it piece by piece: a large stream whole in memory costs more in
// fresh pages than the library's inflater takes (a scan of 45 pages whose
// two drawings take 2 MB, 10 % more).
const Goffset kLargestStoredContent = 256 * 1024;
// Content inflating to more than this is left to the library too.
const std::int64_t kLargestContent = 16ll * 1024 * 1024;

// The page's content streams, those that inflate in one go read from
// memory.
class InflatedContents {
public:
    explicit InflatedContents(XRef* xref, Object& contents) : contents_(&contents) {
        if (contents.isStream()) {
            replaced_ = Inflated(contents);
            return;
        }
        if (!contents.isArray())
            return;
        // An entry that is no stream leaves the page to the library, which
        // refuses its contents as a whole.
        auto streams = std::make_unique<Array>(xref);
        bool any = false;
        for (int i = 0; i < contents.arrayGetLength(); ++i) {
            Object stream = contents.arrayGet(i);
            if (!stream.isStream())
                return;
            Object inflated = Inflated(stream);
            any = any || !inflated.isNull();
            streams->add(inflated.isNull() ? std::move(stream) : std::move(inflated));
        }
        if (any)
            replaced_ = Object(streams.release());
    }

    Object* Contents() { return replaced_.isNull() ? contents_ : &replaced_; }

private:
    // The stream over the inflated content of stream, or null.
    static Object Inflated(Object& stream) {
        BaseStream* stored = stream.getStream()->getBaseStream();
        if (!stored || stored->getLength() > kLargestStoredContent)
            return Object(objNull);
        return InflatedStream(stream.getStream(), kLargestContent);
    }

    Object* contents_;
    Object replaced_ = Object(objNull);
};

} // namespace

void DisplayPage(PDFDoc& document, OutputDev& device, int pageNumber) {
    Page* page = document.getPage(pageNumber);
    if (!page)
        return;
    // What the library's Page::displaySlice does for a whole page.
    if (!device.checkPageSlice(page, 72, 72, 0, false, false, -1, -1, -1, -1, false))
        return;
    InflateFontStreams(document.getXRef(), page->getResourceDict());
    std::unique_ptr<Gfx> gfx(page->createGfx(&device, 72, 72, 0, false, false, -1, -1, -1, -1, false, nullptr, nullptr));
    Object contents = page->getContents();
    if (!contents.isNull()) {
        InflatedContents inflated(document.getXRef(), contents);
        gfx->saveState();
        gfx->display(inflated.Contents());
        gfx->restoreState();
    } else {
        // An empty page still lets the device set itself up.
        device.dump();
    }
    Annots* annotations = page->getAnnots();
    if (!annotations->getAnnots().empty()) {
        for (Annot* annotation : annotations->getAnnots())
            annotation->draw(gfx.get(), false);
        device.dump();
    }
}
