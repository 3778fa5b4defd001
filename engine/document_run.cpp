#include "engine/document_run.h"

#include "engine/convert_settings.h"

#include <algorithm>

std::vector<std::string> DescribeLosses(const DocumentReport& report, int format) {
    std::vector<std::string> losses;
    if (report.extraction.imagesFailed > 0)
        losses.push_back(std::to_string(report.extraction.imagesFailed) + " image(s) could not be written.");
    if (report.conversion.failed > 0)
        losses.push_back(std::to_string(report.conversion.failed) + " image(s) could not be converted to " +
                         OutputFormatLabel(format) + "; their PBM/PGM/PPM files were kept.");
    return losses;
}

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
        events.SetTotal("Images Converting", FinishedPercent(request));
    report.conversion = background.Finish();
    if (result.outcome == ExtractOutcome::Extracted) {
        const ConversionCounts rest =
            ConvertDirectory(result.outputDirectory, settings, result.imageTitle, background.Handled());
        report.conversion.converted += rest.converted;
        report.conversion.failed += rest.failed;
    }
    return report;
}
