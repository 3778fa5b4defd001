#pragma once
// The document summary: styled text blocks describing a PDF file.
#include "engine/settings/user_feedback.h"

#include <cstdint>
#include <string>
#include <vector>

// One block of text with the character format it is shown in.
struct SummaryBlock {
    std::string text;
    bool bold = false;
    bool underline = false;
    std::uint32_t colour = 0; // 0xRRGGBB

    bool operator==(const SummaryBlock& other) const {
        return text == other.text && bold == other.bold && underline == other.underline &&
               colour == other.colour;
    }
};

struct DocumentSummary {
    std::vector<SummaryBlock> blocks; // the whole panel content, in order
    int pageCount = 0;                // 0 when the document is not valid
};

// Builds the summary of the file at path, opened with the passwords (empty
// means none). A document that cannot be opened gets "Not a valid pdf file!"
// (a file that cannot be read, the reason) through messages and a summary
// that stops after "PDF Description:".
DocumentSummary BuildDocumentSummary(const std::string& path, MessageSink& messages,
                                     const std::string& ownerPassword = {}, const std::string& userPassword = {});

// The blocks' texts joined, for a plain-text display.
std::string SummaryPlainText(const DocumentSummary& summary);
