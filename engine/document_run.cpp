#include "engine/document_run.h"

#include <algorithm>

DocumentReport RunDocument(const ExtractRequest& request, const DocumentOutput& output,
                           const ConvertSettings& settings, DocumentEvents& events) {
    DocumentReport report;
    if (settings.imagesFormat == OUTPUT_PPM_PBM) {
        report.extraction = ExtractDocument(request, settings, output, events, events);
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
        events.SetTotal("Images Coverting", 100 * request.fileNumber / std::max(request.fileCount, 1));
    report.conversion = background.Finish();
    if (result.outcome == ExtractOutcome::Extracted) {
        const ConversionCounts rest =
            ConvertDirectory(result.outputDirectory, settings, result.imageTitle, background.Handled());
        report.conversion.converted += rest.converted;
        report.conversion.failed += rest.failed;
    }
    return report;
}
