#include "engine/catalogue/image_files.h"

#include "engine/settings/convert_settings.h"
#include "engine/dump/sha256_digest.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <sys/stat.h>

namespace {

bool IsPnmName(const std::string& name) {
    const std::string extension = platform::LowerCaseExtension(name);
    return extension == ".ppm" || extension == ".pbm" || extension == ".pgm" || extension == ".pam";
}

// The file of a dumped image on the disk now: converted, kept, or none.
std::string FileOnDisk(const std::string& dumped, int format) {
    const std::string converted = ConvertedName(dumped, format);
    if (platform::PathExists(converted))
        return converted;
    return platform::PathExists(dumped) ? dumped : std::string();
}

} // namespace

std::string ConvertedName(const std::string& dumped, int format) {
    if (format <= OUTPUT_PPM_PBM || format >= OUTPUT_FORMAT_COUNT || !IsPnmName(dumped))
        return dumped;
    return dumped.substr(0, dumped.rfind('.')) + "." + OutputFormatLabel(format);
}

void SettleImageFiles(std::vector<ImageEntry>& entries, int format, const std::string& lossReason) {
    for (ImageEntry& entry : entries) {
        if (!entry.duplicateOf.empty()) {
            const std::string first = FileOnDisk(entry.duplicateOf, format);
            entry.duplicateOf = first.empty() ? ConvertedName(entry.duplicateOf, format) : first;
        }
        if (entry.file.empty())
            continue;
        const std::string dumped = entry.file;
        entry.file = FileOnDisk(dumped, format);
        if (entry.file.empty()) {
            entry.noFile = "could not be written" + (lossReason.empty() ? "" : ": " + lossReason);
            continue;
        }
        // A file the dump wrote and nothing converted was digested whole
        // already when repeats are compared by content.
        struct stat info;
        if (entry.file == dumped && !entry.pixelsHash.empty() && stat(entry.file.c_str(), &info) == 0) {
            entry.sha256 = entry.pixelsHash;
            entry.fileBytes = static_cast<long long>(info.st_size);
        } else {
            entry.sha256 = Sha256OfFile(entry.file, &entry.fileBytes);
        }
    }
}
