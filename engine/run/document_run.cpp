#include "engine/run/document_run.h"

#include "engine/settings/convert_settings.h"
#include "engine/run/document_listing.h"
#include "engine/catalogue/image_files.h"

#include <algorithm>

namespace {

// The counts of a document whose images were dumped and, unless the format
// is the raw dump, handed to the background conversion and then taken by the
// pass over the folder.
ImageCounts CountImages(const ExtractResult& dump, const ConversionCounts& handed, const ConversionCounts& rest) {
    ImageCounts images;
    // Each image handed on was converted, kept or lost.
    images.written = dump.imagesWritten - handed.failed - handed.lost;
    ConversionCounts conversion = handed;
    conversion.Add(rest);
    images.converted = conversion.converted;
    images.kept = conversion.failed;
    images.keptReason = conversion.failureReason;
    images.lost = dump.imagesFailed + conversion.lost;
    images.lostReason = dump.imagesFailed > 0 ? dump.failureReason : conversion.lossReason;
    images.damaged = dump.imagesDamaged;
    images.belowMinimum = dump.imagesBelowMinimum;
    images.repeated = dump.imagesRepeated;
    images.keptStored = dump.imagesKeptStored;
    return images;
}

} // namespace

std::string DescribeWritten(const std::string& path, const DocumentReport& report) {
    const int written = report.images.written;
    std::string left;
    if (report.images.keptStored > 0)
        left = std::to_string(report.images.keptStored) +
               (report.images.keptStored == 1 ? " image kept in its" : " images kept in their") + " stored encoding";
    if (report.images.belowMinimum > 0)
        left += (left.empty() ? "" : ", ") + std::to_string(report.images.belowMinimum) + " below the minimum size";
    if (report.images.repeated > 0)
        left += (left.empty() ? "" : ", ") + std::to_string(report.images.repeated) +
                (report.images.repeated == 1 ? " duplicate" : " duplicates");
    return path + ": " + std::to_string(written) + (written == 1 ? " image" : " images") + " written to " +
           report.extraction.outputDirectory + (left.empty() ? "" : " (" + left + ")");
}

bool LostImages(const ImageCounts& images) { return images.lost > 0 || images.kept > 0; }

std::vector<std::string> DescribeImageProblems(const ImageCounts& images, int format) {
    std::vector<std::string> problems;
    if (images.lost > 0)
        problems.push_back(std::to_string(images.lost) + " image(s) could not be written: " + images.lostReason + ".");
    if (images.kept > 0)
        problems.push_back(std::to_string(images.kept) + " image(s) could not be converted to " +
                           OutputFormatLabel(format) + " (" + images.keptReason +
                           "); their PBM/PGM/PPM files were kept.");
    if (images.damaged > 0)
        problems.push_back(std::to_string(images.damaged) + " image(s) skipped: their data in the document is damaged");
    return problems;
}

DocumentReport RunDocument(const ExtractRequest& request, const DocumentOutput& output,
                           const ConvertSettings& settings, DocumentEvents& events) {
    DocumentReport report;
    if (request.listOnly) {
        report.extraction.outcome = ListDocumentImages(request, settings, events, events, &report.catalogue);
        return report;
    }
    // The images the dump recorded, their files settled once the conversion
    // is over: one it lost has the reason of the conversion's losses.
    auto settleCatalogue = [&](const std::string& conversionLossReason) {
        report.catalogue = std::move(report.extraction.images);
        SettleImageFiles(report.catalogue, settings.imagesFormat, conversionLossReason);
    };
    if (settings.imagesFormat == OUTPUT_PPM_PBM) {
        report.extraction = ExtractDocument(request, settings, output, events, events);
        report.images = CountImages(report.extraction, {}, {});
        settleCatalogue({});
        return report;
    }
    // Each image is converted on a second thread as soon as it is complete,
    // small ones without the round trip through a file; the pass over the
    // directory then takes the other PNM files lying there, as it would after
    // the document.
    BackgroundConversion background(settings);
    report.extraction = ExtractDocument(request, settings, output, events, events, &background);
    const ExtractResult& result = report.extraction;
    if (result.outcome == ExtractOutcome::Extracted)
        events.SetTotal("Images Converting", FinishedPercent(request));
    const ConversionCounts handed = background.Finish();
    ConversionCounts rest;
    if (result.outcome == ExtractOutcome::Extracted)
        rest = ConvertDirectory(result.outputDirectory, settings, result.imageTitle, background.Handled());
    report.images = CountImages(result, handed, rest);
    settleCatalogue(handed.lost > 0 ? handed.lossReason : rest.lossReason);
    return report;
}
