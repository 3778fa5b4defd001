#include "engine/run/document_extraction.h"

#include "engine/run/page_rendering.h"
#include "engine/pdf/pdf_engine.h"
#include "engine/settings/text_format.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <PDFDoc.h>

int FinishedPercent(const ExtractRequest& request) {
    return 100 * (request.fileNumber - 1) / std::max(request.fileCount, 1);
}

std::unique_ptr<PDFDoc> OpenChosenPages(const ExtractRequest& request, const ConvertSettings& settings,
                                        MessageSink& messages, ChosenPages* chosen) {
    // A path in double quotes means the path inside them, as for the summary.
    chosen->path = platform::FilePathInfo(request.path).FullPath();
    const std::string& path = chosen->path;
    // The engine would wait forever on a pipe and say nothing useful of a
    // file it may not read.
    const std::string unreadable = platform::ReasonNotReadable(path);
    if (!unreadable.empty()) {
        messages.ShowError(unreadable);
        return nullptr;
    }
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(path, request.ownerPassword, request.userPassword);
    if (!document->isOk()) {
        messages.ShowError("Not a valid pdf file!");
        return nullptr;
    }
    if (!document->okToCopy(false)) {
        messages.ShowError("Copying of images from this document is not allowed.");
        return nullptr;
    }

    const int pageCount = document->getNumPages();
    if (pageCount <= 0 && settings.pageRange == 0) {
        // A damaged document, not a range to correct: the run goes on.
        messages.ShowError("The document has no pages.");
        return nullptr;
    }
    int first = 1, last = pageCount;
    if (settings.pageRange != 0) {
        first = std::max(settings.startPage, 1);
        last = std::min(settings.endPage, pageCount);
    }
    if (first > last) {
        messages.ShowError(FormatText("The '%s' file only contain %d pages, please correct the page range in "
                                      "the setting dialog and try again.",
                                      path.c_str(), pageCount));
        chosen->refusal = ExtractOutcome::RangeError;
        return nullptr;
    }
    chosen->pages = {first, last};
    return document;
}

ExtractResult ExtractDocument(const ExtractRequest& request, const ConvertSettings& settings,
                              const DocumentOutput& output, MessageSink& messages, ProgressSink& progress,
                              ImageHandoff* handoff) {
    ExtractResult result;
    ChosenPages chosen;
    std::unique_ptr<PDFDoc> document = OpenChosenPages(request, settings, messages, &chosen);
    if (!document) {
        result.outcome = chosen.refusal;
        return result;
    }

    if (!output.notice.empty())
        messages.ShowMessage(output.notice);
    result.outputDirectory = output.outputDirectory;
    result.imageRoot = output.imageRoot;
    result.imageTitle = output.imageTitle;
    int error = 0;
    if (!platform::PathExists(result.outputDirectory) &&
        !platform::CreateDirectoryPath(result.outputDirectory, &error)) {
        // Not one image could be written there: the document is not run.
        messages.ShowMessage(FormatText("Cannot make the output folder '%s': %s.",
                                        result.outputDirectory.c_str(), platform::SystemErrorText(error).c_str()));
        result.outcome = ExtractOutcome::Skipped;
        return result;
    }

    const int p = FinishedPercent(request);
    progress.SetTotal(FormatText("File %d of %d, %d%%", request.fileNumber, request.fileCount, p), p);
    ImageDestination destination{result.imageRoot, settings.imagesFormat != OUTPUT_PPM_PBM, handoff, {}};
    destination.selection = {settings.minimumWidth, settings.minimumHeight, settings.nameTemplate,
                             output.outputDirectory, DocumentTitle(output), settings.skipRepeated};
    destination.masks = EffectiveMaskOutput(settings.masks, settings.imagesFormat);
    destination.record = request.recordImages != 0;
    destination.asShown = settings.orientation == ORIENT_SHOWN;
    destination.keepStored = settings.keepStored != 0;
    RenderedImages rendered = RenderPages(*document, chosen.path, request.ownerPassword, request.userPassword,
                                                chosen.pages, destination, progress, request.pageThreads);
    result.outcome = ExtractOutcome::Extracted;
    result.imagesWritten = rendered.written;
    result.imagesFailed = rendered.failed;
    result.failureReason = rendered.failureReason;
    result.imagesDamaged = rendered.damaged;
    result.imagesBelowMinimum = rendered.belowMinimum;
    result.imagesRepeated = rendered.repeated;
    result.imagesKeptStored = rendered.keptStored;
    result.images = std::move(rendered.images);
    return result;
}
