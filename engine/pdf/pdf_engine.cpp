#include "engine/pdf/pdf_engine.h"

#include "engine/pdf/owning_mem_stream.h"

#include <Error.h>
#include <ErrorCodes.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <Stream.h>
#include <goo/GooString.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <fcntl.h>
#include <fstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

namespace {

thread_local std::vector<EngineErrorListener*> listeners;

void TellListener(const char* message) {
    if (!listeners.empty())
        listeners.back()->EngineError(message);
}

void PrintEngineError(ErrorCategory, Goffset position, const char* message) {
    TellListener(message);
    if (position >= 0)
        std::fprintf(stderr, "engine: %s (at byte %lld)\n", message, static_cast<long long>(position));
    else
        std::fprintf(stderr, "engine: %s\n", message);
}

void DiscardEngineError(ErrorCategory, Goffset, const char* message) { TellListener(message); }

std::optional<GooString> Password(const std::string& password) {
    if (password.empty())
        return std::nullopt;
    return GooString(password);
}

// Documents up to this size are read into memory whole.
const off_t kLargestDocumentInMemory = 64 * 1024 * 1024;

// Memory for a document's bytes, its pages mapped at once: faulting in
// the pages of a 10 MB document one by one as they are first written cost
// more than reading it.
class DocumentMemory {
public:
    explicit DocumentMemory(size_t size)
        : size_(size), data_(mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE,
                                  -1, 0)) {
        if (data_ == MAP_FAILED)
            data_ = nullptr;
    }
    ~DocumentMemory() {
        if (data_)
            munmap(data_, size_);
    }
    DocumentMemory(const DocumentMemory&) = delete;
    DocumentMemory& operator=(const DocumentMemory&) = delete;
    char* Data() const { return static_cast<char*>(data_); }

private:
    size_t size_;
    void* data_;
};

// The bytes of a document read into memory, for its stream to own (the
// engine deletes a document's stream with the document).
struct DocumentBytes {
    std::unique_ptr<DocumentMemory> memory;
    size_t length = 0;
    const char* Data() const { return memory->Data(); }
    size_t Size() const { return length; }
};

// The whole document as a stream the engine owns, so that it parses it from
// memory: its own file stream reads a few hundred bytes per system call,
// which costs a large document more time than its parsing. Null (the engine
// then reads the file itself) for a file that is too large, or that cannot be
// read whole, or that changes size while read.
BaseStream* DocumentInMemory(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    std::unique_ptr<DocumentMemory> bytes;
    off_t done = 0;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && info.st_size <= kLargestDocumentInMemory) {
        bytes = std::make_unique<DocumentMemory>(static_cast<size_t>(info.st_size));
        if (!bytes->Data())
            bytes.reset();
        for (ssize_t got; bytes && done < info.st_size; done += got)
            if ((got = read(fd, bytes->Data() + done, static_cast<size_t>(info.st_size - done))) <= 0)
                break;
    }
    close(fd);
    if (!bytes || done != info.st_size)
        return nullptr;
    return new OwningMemStream<DocumentBytes>({std::move(bytes), static_cast<size_t>(done)}, Object(objNull));
}

std::unique_ptr<PDFDoc> OpenDocument(const std::string& path, const std::optional<GooString>& ownerPassword,
                                     const std::optional<GooString>& userPassword) {
    if (BaseStream* inMemory = DocumentInMemory(path))
        return std::make_unique<PDFDoc>(inMemory, ownerPassword, userPassword);
    return std::make_unique<PDFDoc>(std::make_unique<GooString>(path), ownerPassword, userPassword);
}

} // namespace

EngineErrorListener::EngineErrorListener() { listeners.push_back(this); }

EngineErrorListener::~EngineErrorListener() {
    const auto self = std::find(listeners.begin(), listeners.end(), this);
    if (self != listeners.end())
        listeners.erase(self);
}

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
    std::unique_ptr<PDFDoc> document = OpenDocument(path, Password(ownerPassword), Password(userPassword));
    // Passwords given for a whole run meet documents that need none, or only
    // an owner password they do not match: the engine does not fall back to
    // an empty user password, so this does.
    if (!document->isOk() && document->getErrorCode() == errEncrypted &&
        (!ownerPassword.empty() || !userPassword.empty()))
        document = OpenDocument(path, std::nullopt, std::nullopt);
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
