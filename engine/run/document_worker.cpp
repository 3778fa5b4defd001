#include "engine/run/document_worker.h"

#include "engine/run/worker_sandbox.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <mutex>
#include <type_traits>
#include <new>
#include <csignal>
#include <sstream>
#include <system_error>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Everything the worker has to say goes into the channel.
class ChannelWriter : public DocumentEvents {
public:
    explicit ChannelWriter(int fd) : fd_(fd) {}
    void ShowMessage(const std::string& text) override { Send('M', 0, text); }
    void ShowError(const std::string& text) override { Send('M', 1, text); }
    void SetTotal(const std::string& text, int position) override { Send('T', position, text); }
    void SetCurrent(const std::string& text, int position) override { Send('C', position, text); }
    void Send(char kind, long long number, const std::string& text) {
        const std::string record = kind + std::to_string(number) + " " + EscapeRecordText(text) + "\n";
        // Threads of the document speak at once; a record longer than a pipe
        // takes in one write would be cut by another's.
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t sent = 0; sent < record.size();) {
            const ssize_t n = write(fd_, record.data() + sent, record.size() - sent);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                _exit(1); // the parent is gone
            sent += static_cast<size_t>(n);
        }
    }

private:
    int fd_;
    std::mutex mutex_;
};

// Address-space limits cannot work under the address sanitizer, which
// reserves terabytes up front; there the time limit alone applies.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kCanLimitMemory = false;
#else
constexpr bool kCanLimitMemory = true;
#endif

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

} // namespace

std::string EscapeRecordText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string UnescapeRecordText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == 'n' ? '\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

// The job's fields, each with its name; text fields and numbers alike are
// sent as text, so that paths that are not UTF-8 pass unchanged.
template <typename Visit>
void VisitJob(ExtractRequest& request, DocumentOutput& output, ConvertSettings& settings, int& memoryMb,
              int& confined, Visit&& visit) {
    visit("path", request.path);
    visit("ownerPassword", request.ownerPassword);
    visit("userPassword", request.userPassword);
    visit("fileNumber", request.fileNumber);
    visit("fileCount", request.fileCount);
    visit("pageThreads", request.pageThreads);
    visit("listOnly", request.listOnly);
    visit("recordImages", request.recordImages);
    visit("outputDirectory", output.outputDirectory);
    visit("imageRoot", output.imageRoot);
    visit("imageTitle", output.imageTitle);
    visit("notice", output.notice);
    visit("pageRange", settings.pageRange);
    visit("startPage", settings.startPage);
    visit("endPage", settings.endPage);
    visit("openResult", settings.openResult);
    visit("chosenDirectory", settings.outputDirectory);
    visit("imagesFormat", settings.imagesFormat);
    visit("jpegQuality", settings.jpegQuality);
    visit("jpegGrayScale", settings.jpegGrayScale);
    visit("masks", settings.masks);
    visit("orientation", settings.orientation);
    visit("minimumWidth", settings.minimumWidth);
    visit("minimumHeight", settings.minimumHeight);
    visit("nameTemplate", settings.nameTemplate);
    visit("skipRepeated", settings.skipRepeated);
    visit("keepStored", settings.keepStored);
    visit("memoryMb", memoryMb);
    visit("confined", confined);
}

std::string EncodeDocumentJob(const ExtractRequest& request, const DocumentOutput& output,
                              const ConvertSettings& settings, const DocumentLimits& limits) {
    ExtractRequest r = request;
    DocumentOutput o = output;
    ConvertSettings s = settings;
    int memoryMb = limits.memoryMb;
    int confined = limits.confined ? 1 : 0;
    std::string job;
    auto line = [&job](const char* name, const auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>)
            job += std::string(name) + " " + EscapeRecordText(value) + "\n";
        else
            job += std::string(name) + " " + std::to_string(value) + "\n";
    };
    VisitJob(r, o, s, memoryMb, confined, line);
    return job;
}

std::string EncodeDocumentResult(const DocumentReport& report) {
    const ImageCounts& images = report.images;
    std::ostringstream text;
    text << images.written << ' ' << images.converted << ' ' << images.kept << ' ' << images.lost << ' '
         << images.damaged << ' ' << images.belowMinimum << ' ' << images.repeated << ' ' << images.keptStored
         << '\n'
         << EscapeRecordText(report.extraction.outputDirectory) << '\n'
         << EscapeRecordText(images.keptReason) << '\n'
         << EscapeRecordText(images.lostReason);
    return text.str();
}

void DecodeDocumentResult(const std::string& text, DocumentReport* report) {
    ImageCounts& images = report->images;
    std::istringstream lines(text);
    lines >> images.written >> images.converted >> images.kept >> images.lost >> images.damaged >>
        images.belowMinimum >> images.repeated >> images.keptStored;
    lines.ignore(1);
    // Each text on a line of its own, escaped: a folder's name may hold a
    // line break.
    for (std::string* field : {&report->extraction.outputDirectory, &images.keptReason, &images.lostReason}) {
        std::getline(lines, *field);
        *field = UnescapeRecordText(*field);
    }
}

bool EndWithParent(long parent) {
    // A Ctrl+C reaches the whole process group: the parent ends its workers
    // itself, once it has taken note, and cleans up after them.
    signal(SIGINT, SIG_IGN);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A parent that ended before the call above left the worker to another
    // process already, and the signal will never come.
    return getppid() == parent;
}

int RunDocumentWorker(int input, int channel, bool (*allocationFailed)(),
                      const std::function<void(MessageSink&)>& afterConfinement) {
    ChannelWriter writer(channel);
    ExtractRequest request;
    DocumentOutput output;
    ConvertSettings settings;
    int memoryMb = 0;
    int confined = 0;
    std::map<std::string, std::string> fields;
    std::istringstream job(ReadAll(input));
    for (std::string line; std::getline(job, line);) {
        const size_t space = line.find(' ');
        if (space != std::string::npos)
            fields[line.substr(0, space)] = UnescapeRecordText(line.substr(space + 1));
    }
    std::string missing;
    auto take = [&](const char* name, auto& value) {
        const auto found = fields.find(name);
        if (found == fields.end())
            missing = name;
        else if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>)
            value = found->second;
        else
            value = std::atoi(found->second.c_str());
    };
    VisitJob(request, output, settings, memoryMb, confined, take);
    if (!missing.empty()) {
        writer.ShowError("The document's job lacks its " + missing + ".");
        return kWorkerFailed;
    }
    if (kCanLimitMemory && memoryMb > 0) {
        const rlim_t bytes = static_cast<rlim_t>(memoryMb) * 1024 * 1024;
        rlimit memory{bytes, bytes};
        setrlimit(RLIMIT_AS, &memory);
    }
    if (confined && SandboxUnavailable().empty()) {
        const std::string failure = ConfineWorker(request.path, request.listOnly ? std::string() : output.outputDirectory);
        if (!failure.empty()) {
            writer.Send('S', 0, "it could not confine itself (" + failure + ")");
            return kWorkerFailed;
        }
    }
    if (afterConfinement)
        afterConfinement(writer);
    try {
        const DocumentReport report = RunDocument(request, output, settings, writer);
        if (memoryMb > 0 && allocationFailed && allocationFailed() && LostImages(report.images))
            return kWorkerOutOfMemory;
        for (const ImageEntry& image : report.catalogue)
            writer.Send('I', 0, ImageEntryJson(image).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
        writer.Send('R', static_cast<int>(report.extraction.outcome), EncodeDocumentResult(report));
    } catch (const std::bad_alloc&) {
        return kWorkerOutOfMemory;
    } catch (const std::system_error& error) {
        writer.Send('S', 0, std::string("the system refused it a resource (") + std::strerror(error.code().value()) + ")");
        return kWorkerFailed;
    } catch (const std::exception& error) {
        writer.Send('S', 0, error.what());
        return kWorkerFailed;
    }
    return 0;
}
