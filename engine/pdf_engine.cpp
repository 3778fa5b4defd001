#include "engine/pdf_engine.h"

#include <Error.h>
#include <ErrorCodes.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <goo/GooString.h>

#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <fstream>
#include <mutex>
#include <optional>

namespace {

void PrintEngineError(ErrorCategory, Goffset position, const char* message) {
    if (position >= 0)
        std::fprintf(stderr, "engine: %s (at byte %lld)\n", message, static_cast<long long>(position));
    else
        std::fprintf(stderr, "engine: %s\n", message);
}

void DiscardEngineError(ErrorCategory, Goffset, const char*) {}

std::optional<GooString> Password(const std::string& password) {
    if (password.empty())
        return std::nullopt;
    return GooString(password);
}

} // namespace

void PreparePdfEngine() {
    static std::once_flag once;
    std::call_once(once, [] {
        globalParams = std::make_unique<GlobalParams>();
        setErrorCallback(std::getenv("VELLUMIN_ENGINE_ERRORS") ? PrintEngineError : DiscardEngineError);
    });
}

std::unique_ptr<PDFDoc> OpenPdfDocument(const std::string& path, const std::string& ownerPassword,
                                        const std::string& userPassword) {
    PreparePdfEngine();
    auto document = std::make_unique<PDFDoc>(std::make_unique<GooString>(path), Password(ownerPassword),
                                             Password(userPassword));
    // Passwords given for a whole run meet documents that need none, or only
    // an owner password they do not match: the engine does not fall back to
    // an empty user password, so this does.
    if (!document->isOk() && document->getErrorCode() == errEncrypted &&
        (!ownerPassword.empty() || !userPassword.empty()))
        document = std::make_unique<PDFDoc>(std::make_unique<GooString>(path));
    return document;
}

double PdfVersion(const std::string& path, PDFDoc& document) {
    // The header may follow some leading garbage; readers accept it within the
    // first kilobyte.
    char head[1024] = {};
    std::ifstream in(path, std::ios::binary);
    in.read(head, sizeof head - 1);
    std::string text(head, static_cast<size_t>(in.gcount()));
    size_t at = text.find("%PDF-");
    if (at != std::string::npos && at + 7 < text.size()) {
        char major = text[at + 5], dot = text[at + 6], minor = text[at + 7];
        if (std::isdigit(static_cast<unsigned char>(major)) && dot == '.' &&
            std::isdigit(static_cast<unsigned char>(minor)))
            return (major - '0') + (minor - '0') / 10.0;
    }
    return document.getPDFMajorVersion() + document.getPDFMinorVersion() / 10.0;
}
