#include "engine/run/document_listing.h"

#include "engine/catalogue/image_catalogue_dev.h"
#include "engine/pdf/page_display.h"
#include "engine/pdf/page_image_scan.h"
#include "engine/settings/text_format.h"

#include <PDFDoc.h>

namespace {

// Why an image's mask gets no file of its own in a run with these settings:
// it goes into its image's alpha, or nowhere; none when it is written beside
// its image.
const char* MaskFate(const ConvertSettings& settings) {
    switch (EffectiveMaskOutput(settings.masks, settings.imagesFormat)) {
    case MASKS_SEPARATE:
        return "";
    case MASKS_ALPHA:
        return kMaskInAlpha;
    default:
        return kMaskNotWritten;
    }
}

bool IsMaskOfAnImage(const ImageEntry& entry) { return entry.type == "mask" || entry.type == "smask"; }

} // namespace

ExtractOutcome ListDocumentImages(const ExtractRequest& request, const ConvertSettings& settings,
                                  MessageSink& messages, ProgressSink& progress, std::vector<ImageEntry>* entries,
                                  const std::atomic<bool>* stop) {
    ChosenPages chosen;
    std::unique_ptr<PDFDoc> document = OpenChosenPages(request, settings, messages, &chosen);
    if (!document)
        return chosen.refusal;
    ImageCatalogueDev device(*entries, MaskFate(settings));
    device.ListKeptEncodings(settings.keepStored != 0);
    PageImageScan scan(*document);
    const int count = chosen.pages.last - chosen.pages.first + 1;
    for (int page = chosen.pages.first; page <= chosen.pages.last && !(stop && *stop); ++page) {
        if (scan.MayDrawImages(page))
            DisplayPage(*document, device, page);
        const int k = page - chosen.pages.first + 1;
        progress.SetCurrent(FormatText("Page %d of %d, %d%%", k, count, 100 * k / count), 100 * k / count);
    }
    // A mask follows its image, whose size decides for both.
    const ImageEntry* image = nullptr;
    for (ImageEntry& entry : *entries) {
        const bool small = IsMaskOfAnImage(entry) && image
                               ? image->noFile == kBelowMinimumSize
                               : entry.width < settings.minimumWidth || entry.height < settings.minimumHeight;
        if (entry.noFile.empty() && small)
            entry.noFile = kBelowMinimumSize;
        if (!IsMaskOfAnImage(entry))
            image = &entry;
    }
    return ExtractOutcome::Extracted;
}
