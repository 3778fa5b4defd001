#include "engine/dump/format_conversion.h"

#include "codecs/pnm_to_png.h"
#include "codecs/rasterimage.h"
#include "engine/dump/image_names.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <system_error>

namespace {

bool IsTargetFormat(int format) { return format >= OUTPUT_JPG && format <= OUTPUT_PCX; }

struct TargetFormat {
    const char* extension;
    uint32_t codecId;
};

// By OutputFormat index 1 to 7.
const TargetFormat kTargets[] = {
    {".jpg", RASTER_FORMAT_JPG}, {".bmp", RASTER_FORMAT_BMP}, {".gif", RASTER_FORMAT_GIF}, {".png", RASTER_FORMAT_PNG},
    {".tif", RASTER_FORMAT_TIF}, {".tga", RASTER_FORMAT_TGA}, {".pcx", RASTER_FORMAT_PCX},
};

// The dump's files to convert: PBM, PGM, PPM and PAM (an image with its
// alpha), but not the mask written beside an image, which stays as it is.
bool IsPnmName(const std::string& name) {
    const std::string extension = platform::LowerCaseExtension(name);
    if (extension == ".pgm") {
        const std::string lower = platform::LowerCaseExtension(name.substr(0, name.size() - extension.size()));
        return lower != ".mask";
    }
    return extension == ".ppm" || extension == ".pbm" || extension == ".pam";
}

} // namespace

const char* FormatExtension(int format) { return kTargets[format - OUTPUT_JPG].extension; }

namespace {

// A codec's text with the system's reason after it, when there is one.
std::string FailureText(const std::string& codecText, int systemError) {
    if (systemError == 0)
        return codecText.empty() ? "the image could not be encoded" : codecText;
    const std::string system = platform::SystemErrorText(systemError);
    return codecText.empty() ? system : codecText + ": " + system;
}

// Saves the target of the format beside the source path, under the
// source's title, encode writing it into the file; answers why no complete
// target was saved, or nothing.
std::string SaveTarget(int format, const std::string& sourcePath,
                       const std::function<bool(FILE*, std::string*)>& encode) {
    platform::FilePathInfo info(sourcePath);
    const std::string targetPath = info.Folder() + info.Title() + kTargets[format - OUTPUT_JPG].extension;
    // The target appears under its name only once complete.
    platform::OutputFile target(targetPath);
    if (!target.Stream())
        return target.ErrorText();
    if (std::string codecText; !encode(target.Stream(), &codecText)) {
        // Taken at once: the failed write of the stream set it.
        const int systemError = std::ferror(target.Stream()) ? errno : 0;
        return FailureText(codecText, systemError);
    }
    if (!target.Commit())
        return target.ErrorText();
    return {};
}

// Prepares a loaded image for the format and saves it beside the source
// path; answers why no complete target was saved, or nothing.
std::string SaveConverted(CRasterImage& image, int format, const std::string& sourcePath,
                          const ConvertSettings& settings) {
    // The JPEG and TGA writers take no one-bit images: those become 8-bit
    // gray, so that a person who asked for JPEG files gets JPEG files.
    if (image.GetBpp() == 1 && (format == OUTPUT_JPG || format == OUTPUT_TGA))
        image.GrayScale();
    if (format == OUTPUT_JPG) {
        image.SetJpegQuality(static_cast<uint8_t>(settings.jpegQuality));
        if (settings.jpegGrayScale == 0)
            image.GrayScale();
    } else if (format == OUTPUT_GIF) {
        image.DecreaseBpp(8, false);
    }
    return SaveTarget(format, sourcePath, [&](FILE* file, std::string* codecText) {
        if (image.Encode(file, kTargets[format - OUTPUT_JPG].codecId))
            return true;
        *codecText = image.GetLastError();
        return false;
    });
}

// Converts the image in source, the file at path or its bytes: a PNM file
// for PNG straight from the source, which holds less memory, else loaded
// whole. Answers why no complete target was saved, or nothing.
std::string ConvertSource(CByteStream& source, int format, const std::string& path,
                          const ConvertSettings& settings) {
    if (format == OUTPUT_PNG) {
        PnmToPng streamed(source);
        if (streamed.Taken())
            return SaveTarget(format, path, [&](FILE* file, std::string* codecText) {
                CFileStream target(file);
                return streamed.Write(&target, codecText);
            });
        source.Seek(0, SEEK_SET);
    }
    CRasterImage image;
    return image.Load(&source, RASTER_FORMAT_BMP) ? SaveConverted(image, format, path, settings)
                                                 : FailureText(image.GetLastError(), 0);
}

void SetReason(std::string* whyNot, std::string reason) {
    if (whyNot)
        *whyNot = std::move(reason);
}

} // namespace

void ConversionCounts::Count(ConversionResult result, const std::string& reason) {
    switch (result) {
    case ConversionResult::Converted: ++converted; break;
    case ConversionResult::Kept:
        if (failed++ == 0)
            failureReason = reason;
        break;
    case ConversionResult::Lost:
        if (lost++ == 0)
            lossReason = reason;
        break;
    case ConversionResult::Left: break; // on purpose
    }
}

void ConversionCounts::Add(const ConversionCounts& more) {
    converted += more.converted;
    if (failed == 0)
        failureReason = more.failureReason;
    failed += more.failed;
    if (lost == 0)
        lossReason = more.lossReason;
    lost += more.lost;
}

bool ConvertImageFile(int format, const std::string& path, const ConvertSettings& settings, std::string* whyNot) {
    if (!IsTargetFormat(format))
        return false;
    CFileStream source;
    std::string reason = source.Open(path.c_str(), "rb") ? ConvertSource(source, format, path, settings)
                                                         : FailureText({}, errno);
    if (!reason.empty()) {
        SetReason(whyNot, std::move(reason));
        return false;
    }
    platform::DeleteFile(path); // only once the target is complete
    return true;
}

namespace {

// ConvertImageFile as a result to count: a file that was not converted stays.
ConversionResult ConvertFile(int format, const std::string& path, const ConvertSettings& settings,
                             std::string* whyNot) {
    if (ConvertImageFile(format, path, settings, whyNot))
        return ConversionResult::Converted;
    return IsTargetFormat(format) ? ConversionResult::Kept : ConversionResult::Left;
}

} // namespace

ConversionResult ConvertImageBytes(int format, const std::string& path, const std::string& content,
                                   const ConvertSettings& settings, std::string* whyNot) {
    std::string reason;
    if (IsTargetFormat(format)) {
        CMemStream stream(reinterpret_cast<uint8_t*>(const_cast<char*>(content.data())),
                          static_cast<int32_t>(content.size()));
        reason = ConvertSource(stream, format, path, settings);
        if (reason.empty())
            return ConversionResult::Converted;
    }
    // Kept as the file it would have been.
    platform::OutputFile source(path);
    if (source.Stream())
        std::fwrite(content.data(), 1, content.size(), source.Stream());
    if (!source.Commit()) {
        SetReason(whyNot, source.ErrorText());
        return ConversionResult::Lost;
    }
    SetReason(whyNot, std::move(reason));
    return IsTargetFormat(format) ? ConversionResult::Kept : ConversionResult::Left;
}

ConversionCounts ConvertDirectory(const std::string& directory, const ConvertSettings& settings,
                                  const std::string& imageTitle, const std::set<std::string>& skipNames) {
    ConversionCounts counts;
    std::string reason;
    const std::string prefix = platform::WithTrailingSlash(directory);
    for (const platform::DirectoryEntry& entry : platform::ListDirectory(directory)) {
        if (entry.isDirectory || !IsPnmName(entry.name) || (!imageTitle.empty() && !IsImageFileOf(entry.name, imageTitle)) ||
            skipNames.count(entry.name))
            continue;
        counts.Count(ConvertFile(settings.imagesFormat, prefix + entry.name, settings, &reason), reason);
    }
    return counts;
}

BackgroundConversion::BackgroundConversion(const ConvertSettings& settings) : settings_(settings) {
    try {
        worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
        // No second thread: each image is converted as it is handed in.
    }
}

void BackgroundConversion::ConvertNow(const Item& item) {
    const int format = settings_.imagesFormat;
    std::string reason;
    const ConversionResult result = item.inMemory
                                        ? ConvertImageBytes(format, item.path, item.content, settings_, &reason)
                                        : ConvertFile(format, item.path, settings_, &reason);
    counts_.Count(result, reason);
}

BackgroundConversion::~BackgroundConversion() { Finish(); }

void BackgroundConversion::Written(const std::string& path) {
    if (!IsPnmName(path))
        return;
    std::lock_guard<std::mutex> lock(mutex_); // pages may be rendered on several threads
    const platform::FilePathInfo file(path);
    handled_.insert(file.FileName());
    largestImage_ = std::max<std::uint64_t>(largestImage_, file.FileSize());
    if (!worker_.joinable())
        return ConvertNow({path, {}, false});
    queue_.push_back({path, {}, false});
    ready_.notify_one();
}

void BackgroundConversion::Content(const std::string& path, std::string content) {
    std::unique_lock<std::mutex> lock(mutex_);
    handled_.insert(platform::FilePathInfo(path).FileName());
    if (!worker_.joinable())
        return ConvertNow({path, std::move(content), true});
    // As many bytes wait as the largest image of the document so far takes
    // (kQueuedBytes at least): enough to keep both threads busy with images
    // of changing sizes, while a document holds what one of its own images
    // takes.
    room_.wait(lock, [&] { return queue_.empty() || queuedBytes_ + content.size() <= largestImage_; });
    queuedBytes_ += content.size();
    queue_.push_back({path, std::move(content), true});
    ready_.notify_one();
}

ConversionCounts BackgroundConversion::Finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        ready_.notify_one();
    }
    if (worker_.joinable())
        worker_.join();
    return counts_;
}

void BackgroundConversion::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        Item item = std::move(queue_.front());
        queue_.pop_front();
        queuedBytes_ -= item.content.size();
        room_.notify_one();
        lock.unlock();
        ConvertNow(item);
        lock.lock();
    }
}
