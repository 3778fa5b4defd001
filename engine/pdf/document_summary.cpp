#include "engine/pdf/document_summary.h"

#include "engine/pdf/pdf_engine.h"
#include "engine/settings/text_format.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <PDFDoc.h>
#include <Page.h>

namespace {

const std::uint32_t kBlack = 0x000000;
const std::uint32_t kHeaderBlue = 0x0000C0;

// The character format carried from one block to the next, as a rich-text
// panel keeps it: each block changes only what it names.
class BlockWriter {
public:
    explicit BlockWriter(std::vector<SummaryBlock>& blocks) : blocks_(blocks) {}

    BlockWriter& Bold(bool on) {
        current_.bold = on;
        return *this;
    }
    BlockWriter& Underline(bool on) {
        current_.underline = on;
        return *this;
    }
    BlockWriter& Colour(std::uint32_t colour) {
        current_.colour = colour;
        return *this;
    }
    BlockWriter& Plain() { return Bold(false).Underline(false).Colour(kBlack); }
    void Append(const std::string& text) {
        current_.text = text;
        blocks_.push_back(current_);
    }

private:
    std::vector<SummaryBlock>& blocks_;
    SummaryBlock current_;
};

const char* AcrobatName(const std::string& versionText) {
    static const struct {
        const char* version;
        const char* name;
    } kNames[] = {
        {"1.0", " (Acrobat 1.x) "}, {"1.1", " (Acrobat 2.x) "}, {"1.2", " (Acrobat 3.x) "},
        {"1.3", " (Acrobat 4.x) "}, {"1.4", " (Acrobat 5.x) "}, {"1.5", " (Acrobat 6.x) "},
        {"1.6", " (Acrobat 7.x) "},
    };
    for (const auto& entry : kNames)
        if (versionText == entry.version)
            return entry.name;
    return " (Unknown Acrobat Version) ";
}

std::string PermissionLine(const char* name, bool allowed, const char* end) {
    return std::string("\t") + name + (allowed ? ": Allowed" : ": Not Allowed") + end;
}

} // namespace

DocumentSummary BuildDocumentSummary(const std::string& path, MessageSink& messages, const std::string& ownerPassword,
                                     const std::string& userPassword) {
    DocumentSummary summary;
    BlockWriter out(summary.blocks);
    platform::FilePathInfo info(path);

    out.Bold(true).Underline(false).Colour(kHeaderBlue).Append(info.FullPath() + "\n");
    out.Underline(true).Colour(kBlack).Append("Summary:\n");

    std::uint64_t size = info.FileSize();
    out.Plain().Append("\tFile Size: " + FormatThousands(size / 1024) + " KB (" + FormatThousands(size) +
                       " Bytes)\n");
    auto created = info.CreationTime();
    out.Append("\tCreation Time: " + (created ? FormatLocalTime(*created) : std::string("Unknown")) + "\n");
    out.Bold(true).Underline(true).Colour(kBlack).Append("PDF Description:\n");

    const std::string unreadable = platform::ReasonNotReadable(info.FullPath());
    if (!unreadable.empty()) { // a pipe would keep the engine waiting
        messages.ShowError(unreadable);
        return summary;
    }
    std::unique_ptr<PDFDoc> document = OpenPdfDocument(info.FullPath(), ownerPassword, userPassword);
    if (!document->isOk()) {
        messages.ShowError("Not a valid pdf file!");
        return summary;
    }

    std::string version = FormatText("%.1f", PdfVersion(info.FullPath(), *document));
    double width = 0, height = 0;
    if (Page* first = document->getNumPages() > 0 ? document->getPage(1) : nullptr) {
        const PDFRectangle* box = first->isCropped() ? first->getCropBox() : first->getMediaBox();
        width = box->x2 - box->x1;
        height = box->y2 - box->y1;
    }
    summary.pageCount = document->getNumPages();
    out.Plain().Append("\tPDF Version: " + version + AcrobatName(version) + "\n" +
                       FormatText("\tPage Size: %.0f x %.0f Pixel\n", width * 4.0 / 3.0, height * 4.0 / 3.0) +
                       "\tNumber of Pages: " + std::to_string(summary.pageCount) + "\n");

    out.Bold(true).Underline(true).Colour(kBlack).Append("PDF Security:\n");
    out.Plain().Append(PermissionLine("Printing", document->okToPrint(false), "\n") +
                       PermissionLine("Document Assembly", document->okToChange(false), "\n") +
                       PermissionLine("Content Copying or Extraction", document->okToCopy(false), "\n") +
                       PermissionLine("Commenting", document->okToAddNotes(false), ""));
    return summary;
}

std::string SummaryPlainText(const DocumentSummary& summary) {
    std::string text;
    for (const SummaryBlock& block : summary.blocks)
        text += block.text;
    return text;
}
