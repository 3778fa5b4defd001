#include "cli/done_marker.h"

#include "engine/dump/image_names.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

const char* const kMarkerName = "vellumin-done.json";

std::string Dumped(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string PagesText(const ConvertSettings& settings) {
    if (settings.pageRange == 0)
        return "all";
    return std::to_string(settings.startPage) + "-" + std::to_string(settings.endPage);
}

// A plain file with the extension of an image: never a link, a folder or a
// document, whatever a marker says.
bool IsRegularImage(const platform::DirectoryEntry& entry) {
    return entry.isRegularFile && !entry.isLink && ImageFileStem(entry.name).has_value();
}

bool IsOwnImageFile(const platform::DirectoryEntry& entry, const DocumentOutput& output,
                    const std::string& nameTemplate) {
    return entry.isRegularFile && !entry.isLink && IsOutputImageOf(entry.name, output, nameTemplate);
}

bool IsListed(const nlohmann::json& files, const std::string& name) {
    return std::find(files.begin(), files.end(), nlohmann::json(name)) != files.end();
}

bool ModifiedSince(const std::string& path, const timespec& since) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 &&
           std::tie(info.st_mtim.tv_sec, info.st_mtim.tv_nsec) >= std::tie(since.tv_sec, since.tv_nsec);
}

} // namespace

std::string MarkerPath(const DocumentOutput& output) {
    return output.outputDirectory + "." + (output.imageTitle.empty() ? "" : output.imageTitle + ".") + kMarkerName;
}

nlohmann::json MarkerKey(const std::string& documentPath, const ConvertSettings& settings) {
    struct stat info {};
    stat(documentPath.c_str(), &info);
    const long long modified = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000ll + info.st_mtim.tv_nsec;
    nlohmann::json key = {
        {"document", {{"path", documentPath}, {"size", static_cast<long long>(info.st_size)}, {"modified_ns", modified}}},
        {"options",
         {{"format", settings.imagesFormat == OUTPUT_PPM_PBM ? "ppm" : OutputFormatLabel(settings.imagesFormat)},
          {"quality", settings.jpegQuality},
          {"gray", settings.jpegGrayScale == 0},
          {"pages", PagesText(settings)}}},
    };
    // Options beyond these are recorded only when given, so that markers
    // written before they existed still match a run without them.
    nlohmann::json& options = key["options"];
    const int masks = EffectiveMaskOutput(settings.masks, settings.imagesFormat);
    if (masks != MASKS_NONE)
        options["masks"] = MaskOutputName(masks);
    if (settings.minimumWidth > 0 || settings.minimumHeight > 0)
        options["min_size"] = std::to_string(settings.minimumWidth) + "x" + std::to_string(settings.minimumHeight);
    if (!settings.nameTemplate.empty())
        options["name"] = settings.nameTemplate;
    if (settings.skipRepeated != REPEATS_KEPT)
        options["unique"] = RepeatedImagesName(settings.skipRepeated);
    if (settings.keepStored != 0)
        options["keep_native"] = true;
    // As a marker holds it: names that are no valid UTF-8 compare as written.
    return nlohmann::json::parse(Dumped(key));
}

bool IsFinal(const DocumentOutcome& outcome) { return outcome.outcome == "extracted" || outcome.outcome == "skipped"; }

std::vector<std::string> FilesWrittenSince(const DocumentOutput& output, const std::string& nameTemplate,
                                           const timespec& since) {
    std::vector<std::string> files;
    for (const platform::DirectoryEntry& entry : platform::ListDirectory(output.outputDirectory))
        if (IsOwnImageFile(entry, output, nameTemplate) && ModifiedSince(output.outputDirectory + entry.name, since))
            files.push_back(entry.name);
    std::sort(files.begin(), files.end());
    return files;
}

bool WriteMarker(const DocumentOutput& output, const nlohmann::json& key, const DocumentOutcome& outcome,
                 const std::vector<std::string>& files) {
    if (!platform::DirectoryExists(output.outputDirectory))
        return false;
    nlohmann::json marker = key;
    marker.update(OutcomeFields(outcome));
    marker["files"] = files;
    const std::string text = Dumped(marker) + "\n";
    platform::OutputFile file(MarkerPath(output));
    return file.Stream() && std::fwrite(text.data(), 1, text.size(), file.Stream()) == text.size() && file.Commit();
}

std::optional<DocumentOutcome> MatchingMarker(const DocumentOutput& output, const nlohmann::json& key) {
    std::ifstream in(MarkerPath(output));
    if (!in)
        return std::nullopt;
    const nlohmann::json marker = nlohmann::json::parse(in, nullptr, false);
    if (!marker.is_object() || marker.value("document", nlohmann::json()) != key["document"] ||
        marker.value("options", nlohmann::json()) != key["options"])
        return std::nullopt;
    try {
        DocumentOutcome recorded;
        recorded.outcome = marker.at("outcome").get<std::string>();
        recorded.status = static_cast<ExitCode>(marker.at("exit_status").get<int>());
        recorded.reason = marker.value("reason", "");
        const nlohmann::json& counts = marker.at("counts");
        recorded.written = counts.at("written").get<int>();
        recorded.failed = counts.at("failed").get<int>();
        recorded.converted = counts.at("converted").get<int>();
        recorded.conversionFailed = counts.at("conversion_failed").get<int>();
        recorded.damaged = counts.value("damaged", 0); // markers of earlier versions lack it
        recorded.belowMinimum = counts.value("below_minimum", 0);
        recorded.repeated = counts.value("duplicates", 0);
        if (!IsFinal(recorded))
            return std::nullopt;
        return recorded;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt; // a marker that is not whole is no marker
    }
}

void RemoveMarker(const DocumentOutput& output) { unlink(MarkerPath(output).c_str()); }

void RemoveOutputWrittenSince(const DocumentOutput& output, const std::string& nameTemplate, const timespec& since,
                              bool ownFolder) {
    for (const std::string& name : FilesWrittenSince(output, nameTemplate, since))
        unlink((output.outputDirectory + name).c_str());
    if (ownFolder)
        rmdir(output.outputDirectory.c_str()); // only when empty
}

void RemovePartialOutput(const DocumentOutput& output, const std::string& nameTemplate) {
    const std::string marker = MarkerPath(output);
    std::ifstream in(marker);
    const nlohmann::json recorded = in ? nlohmann::json::parse(in, nullptr, false) : nlohmann::json();
    const nlohmann::json* listed =
        recorded.is_object() && recorded.contains("files") && recorded["files"].is_array() ? &recorded["files"] : nullptr;
    // Markers of earlier versions list no files: their names tell.
    for (const platform::DirectoryEntry& entry : platform::ListDirectory(output.outputDirectory))
        if (IsRegularImage(entry) && (listed ? IsListed(*listed, entry.name) : IsOwnImageFile(entry, output, nameTemplate)))
            unlink((output.outputDirectory + entry.name).c_str());
    unlink(marker.c_str());
}
