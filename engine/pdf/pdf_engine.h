#pragma once
// Access to the PDF engine: its process-wide parameters, opening documents and
// the version of a file.
#include <memory>
#include <string>

class PDFDoc;

// Installs the engine's global parameters (engine defaults, no configuration
// file) once for the life of the process and routes the engine's error
// channel to standard error only when VELLUMIN_ENGINE_ERRORS is set. Summaries
// and runs may then open documents on different threads at the same time:
// nothing is ever released while another thread could be using it.
void PreparePdfEngine();

// Told of the engine's errors reported on the thread that made it, while it
// lives (the last one made on a thread is told; it ends on that thread too):
// the engine has one error channel for the whole process, and a document's
// pages may be drawn on several threads at once. What the channel prints is
// unchanged.
class EngineErrorListener {
public:
    EngineErrorListener();
    virtual ~EngineErrorListener();
    EngineErrorListener(const EngineErrorListener&) = delete;
    EngineErrorListener& operator=(const EngineErrorListener&) = delete;

    virtual void EngineError(const char* message) = 0;
};

// Opens a document; an empty password means none. A document the passwords
// do not open is tried with none. Documents up to 64 MB are read into memory
// whole and parsed from there. Never null: check isOk().
std::unique_ptr<PDFDoc> OpenPdfDocument(const std::string& path, const std::string& ownerPassword = {},
                                        const std::string& userPassword = {});

// Version from the "%PDF-m.n" file header as major + minor / 10; the engine's
// own figure when the header cannot be read.
double PdfVersion(const std::string& path, PDFDoc& document);
