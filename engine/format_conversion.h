#pragma once
// The conversion pass: the PBM, PGM and PPM files of an output directory
// become files of the chosen format.
#include "engine/convert_settings.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>

struct ConversionCounts {
    int converted = 0;
    int failed = 0; // sources that could not be read or written; they are kept
};

// Converts one file to settings.imagesFormat (1 to 7) beside it and deletes
// the source. A source that cannot be loaded, or whose target cannot be
// written, stays as it is and no broken target is left. Any other format
// leaves the file alone (false).
bool ConvertImageFile(int format, const std::string& path, const ConvertSettings& settings);

// Converts every .ppm, .pbm and .pgm file (any case) directly in the
// directory, as listed before the first conversion. In a directory that
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
// the directory would; one image is in memory at a time.
class BackgroundConversion {
public:
    explicit BackgroundConversion(const ConvertSettings& settings);
    // Waits for the files handed in.
    ~BackgroundConversion();
    BackgroundConversion(const BackgroundConversion&) = delete;
    BackgroundConversion& operator=(const BackgroundConversion&) = delete;

    // Queues a file that is complete; other kinds of files are ignored.
    void Add(const std::string& path);
    // Waits until every queued file is converted and tells how it went.
    ConversionCounts Finish();
    // Names (without the directory) of the files handed in.
    const std::set<std::string>& Handled() const { return handled_; }

private:
    void Work();

    const ConvertSettings settings_;
    std::set<std::string> handled_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::string> queue_;
    bool closing_ = false;
    ConversionCounts counts_;
    std::thread worker_;
};
