#pragma once
// The conversion pass: the PBM, PGM and PPM files of an output directory
// become files of the chosen format.
#include "engine/settings/convert_settings.h"
#include "engine/dump/image_handoff.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>

// How the conversion of one image ended.
enum class ConversionResult {
    Converted, // the target is written and the source is gone
    Kept,      // no target: the PBM/PGM/PPM file stays
    Lost,      // no target, and the image could not be kept as a PBM/PGM/PPM file either
    Left,      // not a format to convert to: the file is left as it is
};

struct ConversionCounts {
    int converted = 0;
    int failed = 0; // could not be converted; their PBM/PGM/PPM files are kept
    int lost = 0;   // could be neither converted nor kept
    std::string failureReason; // why the first failed image could not be converted
    std::string lossReason;    // why the first lost image could not be kept

    void Count(ConversionResult result, const std::string& reason);
    void Add(const ConversionCounts& more);
};

// The extension of an output format's files, ".jpg" to ".pcx" (format 1 to 7).
const char* FormatExtension(int format);

// Converts one file to settings.imagesFormat (1 to 7) beside it and deletes
// the source. A source that cannot be loaded, or whose target cannot be
// written, stays as it is and no broken target is left; whyNot, when given,
// then receives the reason, with the codec's and the system's texts. Any
// other format leaves the file alone (false).
bool ConvertImageFile(int format, const std::string& path, const ConvertSettings& settings,
                      std::string* whyNot = nullptr);

// The same for a PBM, PGM or PPM file that was never written: content holds
// its bytes, path its name. What cannot be converted is written as that file
// and kept, as it would have been, or is lost when that write fails too;
// whyNot receives the reason of either.
ConversionResult ConvertImageBytes(int format, const std::string& path, const std::string& content,
                                   const ConvertSettings& settings, std::string* whyNot = nullptr);

// Converts every .ppm, .pbm, .pgm and .pam file (any case) directly in the
// directory, as listed before the first conversion; a mask written beside its
// image (NAME.mask.pgm) is left as it is. In a directory that
// several documents share, imageTitle limits the pass to one document's
// images ("report" takes report-000.ppm, report-001.pbm... but not
// report-2-000.ppm), so that files another document could not convert are not
// tried again for every later document.
// Files named in skipNames (by name, without the directory) are left alone.
ConversionCounts ConvertDirectory(const std::string& directory, const ConvertSettings& settings,
                                  const std::string& imageTitle = {}, const std::set<std::string>& skipNames = {});

// Converts PBM, PGM and PPM files on a thread of its own as they are handed
// in, so that the conversion of a document's images overlaps the decoding of
// the next ones. Each file is converted by ConvertImageFile, as the pass over
// the directory would; one image is in memory at a time. When the system
// refuses the thread, each image is converted as it is handed in.
class BackgroundConversion : public ImageHandoff {
public:
    explicit BackgroundConversion(const ConvertSettings& settings);
    // Waits for the files handed in.
    ~BackgroundConversion() override;
    BackgroundConversion(const BackgroundConversion&) = delete;
    BackgroundConversion& operator=(const BackgroundConversion&) = delete;

    // Queues a file that is complete; other kinds of files are ignored.
    void Written(const std::string& path) override;
    // Small images are taken in memory: they never make the round trip
    // through a file, whose creation and removal cost more than their
    // conversion. Larger ones are converted from their files, one at a time,
    // so that conversion adds at most one decoded image to the memory a
    // document takes.
    bool TakesContent(std::int64_t bytes) const override { return bytes <= static_cast<std::int64_t>(kQueuedBytes); }
    // Queues the bytes of a PNM file that was not written (see
    // ConvertImageBytes); waits while more bytes are queued than the largest
    // image handed in so far takes.
    void Content(const std::string& path, std::string content) override;
    static constexpr size_t kQueuedBytes = 1024 * 1024;
    // Waits until every queued file is converted and tells how it went.
    ConversionCounts Finish();
    // Names (without the directory) of the files handed in.
    const std::set<std::string>& Handled() const { return handled_; }

private:
    struct Item {
        std::string path;
        std::string content;
        bool inMemory;
    };

    void Work();
    void ConvertNow(const Item& item);

    const ConvertSettings settings_;
    std::set<std::string> handled_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::deque<Item> queue_;
    size_t queuedBytes_ = 0;
    std::uint64_t largestImage_ = kQueuedBytes; // of the files handed in, in bytes
    bool closing_ = false;
    ConversionCounts counts_;
    std::thread worker_;
};
