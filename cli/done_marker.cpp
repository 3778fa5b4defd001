#include "cli/done_marker.h"

#include "engine/dump/image_names.h"
#include "engine/dump/sha256_digest.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

#include <algorithm>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kMarkerName = "vellumin-done.json";
const char* const kLockName = "vellumin-lock";
// The longest name a folder of the usual file systems takes, in bytes.
const size_t kLongestName = 255;

// A hidden file of the document named after its title: "." + title + "." +
// suffix. A title too long for that keeps its head and gives the rest as a
// digest of the whole title, so that the name still fits and still belongs
// to one document.
std::string HiddenName(const std::string& title, const std::string& suffix) {
    const std::string whole = "." + (title.empty() ? "" : title + ".") + suffix;
    if (whole.size() <= kLongestName)
        return whole;
    const std::string digest = Sha256Hex(title).substr(0, 32);
    size_t head = kLongestName - (digest.size() + suffix.size() + 3);
    while (head > 0 && (static_cast<unsigned char>(title[head]) & 0xC0) == 0x80)
        --head; // not within a UTF-8 character
    return "." + title.substr(0, head) + "." + digest + "." + suffix;
}

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

bool IsListed(const nlohmann::json& files, const std::string& name) {
    return std::find(files.begin(), files.end(), nlohmann::json(name)) != files.end();
}

} // namespace

std::string MarkerPath(const DocumentOutput& output) {
    return output.outputDirectory + HiddenName(output.imageTitle, kMarkerName);
}

std::string LockPath(const DocumentOutput& output) {
    if (!output.imageTitle.empty())
        return output.outputDirectory + HiddenName(output.imageTitle, kLockName);
    const std::string folder = output.outputDirectory.substr(0, output.outputDirectory.size() - 1);
    const size_t slash = folder.rfind('/');
    return folder.substr(0, slash + 1) + HiddenName(folder.substr(slash + 1), kLockName);
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
    if (settings.orientation != ORIENT_STORED)
        options["orient"] = OrientationName(settings.orientation);
    if (settings.keepStored != 0)
        options["keep_native"] = true;
    // As a marker holds it: names that are no valid UTF-8 compare as written.
    return nlohmann::json::parse(Dumped(key));
}

bool IsFinal(const DocumentOutcome& outcome) { return outcome.outcome == "extracted" || outcome.outcome == "skipped"; }

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

void RemovePartialOutput(const DocumentOutput& output, const std::string& nameTemplate) {
    const std::string marker = MarkerPath(output);
    std::ifstream in(marker);
    const nlohmann::json recorded = in ? nlohmann::json::parse(in, nullptr, false) : nlohmann::json();
    const nlohmann::json* listed =
        recorded.is_object() && recorded.contains("files") && recorded["files"].is_array() ? &recorded["files"] : nullptr;
    // Markers of earlier versions list no files: their names tell.
    for (const platform::DirectoryEntry& entry : platform::ListDirectory(output.outputDirectory))
        if (IsRegularImage(entry) && (listed ? IsListed(*listed, entry.name) : IsOutputImageFileOf(entry, output, nameTemplate)))
            unlink((output.outputDirectory + entry.name).c_str());
    unlink(marker.c_str());
}
