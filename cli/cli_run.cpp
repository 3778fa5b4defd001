#include "cli/cli_run.h"

#include "cli/exit_code.h"
#include "cli/terminal_progress.h"
#include "engine/document_extraction.h"
#include "engine/document_summary.h"
#include "engine/format_conversion.h"
#include "engine/job_paths.h"
#include "platform/file_system.h"

namespace {

// Messages go to standard error, naming the document when the text does not.
class StderrMessages : public MessageSink {
public:
    StderrMessages(FILE* err, TerminalProgress* progress) : err_(err), progress_(progress) {}

    void SetDocument(const std::string& path) { document_ = path; }

    void ShowMessage(const std::string& text) override {
        if (progress_)
            progress_->Break();
        if (document_.empty() || text.find(document_) != std::string::npos)
            std::fprintf(err_, "%s\n", text.c_str());
        else
            std::fprintf(err_, "%s: %s\n", document_.c_str(), text.c_str());
    }

private:
    FILE* err_;
    TerminalProgress* progress_;
    std::string document_;
};

// Files and folders from the command line, each path once; missing ones are
// reported and counted.
std::vector<std::string> GatherDocuments(const std::vector<std::string>& inputs, StderrMessages& messages,
                                         int* missing) {
    JobPaths jobs;
    for (const std::string& input : inputs) {
        if (platform::DirectoryExists(input)) {
            if (jobs.ImportDirectory(input, messages) == 0) {
                messages.SetDocument(input);
                messages.ShowMessage("No PDF file in this folder.");
                messages.SetDocument({});
                ++*missing;
            }
        } else if (!platform::PathExists(input)) {
            messages.SetDocument(input);
            messages.ShowMessage("No such file or folder.");
            messages.SetDocument({});
            ++*missing;
        } else {
            jobs.AddIfNew(input, messages);
        }
    }
    return jobs.Paths();
}

int PrintSummaries(const std::vector<std::string>& documents, FILE* out, StderrMessages& messages) {
    bool anyInvalid = false;
    for (const std::string& path : documents) {
        messages.SetDocument(path);
        DocumentSummary summary = BuildDocumentSummary(path, messages);
        std::fprintf(out, "%s\n\n", SummaryPlainText(summary).c_str());
        anyInvalid = anyInvalid || summary.pageCount == 0;
    }
    return static_cast<int>(anyInvalid ? ExitCode::Skipped : ExitCode::Success);
}

} // namespace

int RunCli(const CliOptions& options, FILE* out, FILE* err, bool errIsTerminal) {
    TerminalProgress progress(err, errIsTerminal || options.forceProgress, errIsTerminal);
    StderrMessages messages(err, &progress);

    int missing = 0;
    std::vector<std::string> documents = GatherDocuments(options.inputs, messages, &missing);
    if (options.summaryOnly) {
        int status = PrintSummaries(documents, out, messages);
        return missing ? static_cast<int>(ExitCode::Skipped) : status;
    }

    ConvertSettings settings = options.settings;
    if (!settings.outputDirectory.empty() && !platform::CreateDirectoryPath(settings.outputDirectory)) {
        std::fprintf(err, "%s: cannot create the output folder.\n", settings.outputDirectory.c_str());
        return static_cast<int>(ExitCode::UsageError);
    }

    ExitCode status = missing ? ExitCode::Skipped : ExitCode::Success;
    SharedDirectoryNames sharedNames;
    const int count = static_cast<int>(documents.size());
    for (int i = 0; i < count; ++i) {
        messages.SetDocument(documents[i]);
        ExtractRequest request{documents[i], options.ownerPassword, options.userPassword, i + 1, count};
        ExtractResult result = ExtractDocument(request, settings, sharedNames, messages, progress);
        if (result.outcome == ExtractOutcome::RangeError)
            return static_cast<int>(ExitCode::RangeError);
        if (result.outcome == ExtractOutcome::Skipped) {
            status = ExitCode::Skipped;
            continue;
        }
        ConversionCounts conversion;
        if (settings.imagesFormat != OUTPUT_PPM_PBM) {
            progress.SetTotal("Images Coverting", 100 * (i + 1) / count);
            conversion = ConvertDirectory(result.outputDirectory, settings, result.imageTitle);
        }
        progress.Break();
        std::fprintf(out, "%s: %d image%s written to %s\n", documents[i].c_str(), result.imagesWritten,
                     result.imagesWritten == 1 ? "" : "s", result.outputDirectory.c_str());
        if (result.imagesFailed > 0)
            messages.ShowMessage(std::to_string(result.imagesFailed) + " image(s) could not be written.");
        if (conversion.failed > 0)
            messages.ShowMessage(std::to_string(conversion.failed) + " image(s) could not be converted to " +
                                 OutputFormatLabel(settings.imagesFormat) + "; their PBM/PGM/PPM files were kept.");
    }
    return static_cast<int>(status);
}
