#include "cli/done_marker.h"

#include "platform/file_system.h"
#include "platform/output_file.h"

#include <fstream>
#include <sys/stat.h>
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
    // Kept masks change the files; markers of runs that kept none (all that
    // came before the choice existed) still match a run that keeps none.
    const int masks = EffectiveMaskOutput(settings.masks, settings.imagesFormat);
    if (masks != MASKS_NONE)
        key["options"]["masks"] = MaskOutputName(masks);
    // As a marker holds it: names that are no valid UTF-8 compare as written.
    return nlohmann::json::parse(Dumped(key));
}

bool IsFinal(const DocumentOutcome& outcome) { return outcome.outcome == "extracted" || outcome.outcome == "skipped"; }

bool WriteMarker(const DocumentOutput& output, const nlohmann::json& key, const DocumentOutcome& outcome) {
    if (!platform::DirectoryExists(output.outputDirectory))
        return false;
    nlohmann::json marker = key;
    marker.update(OutcomeFields(outcome));
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
        if (!IsFinal(recorded))
            return std::nullopt;
        return recorded;
    } catch (const nlohmann::json::exception&) {
        return std::nullopt; // a marker that is not whole is no marker
    }
}

void RemoveMarker(const DocumentOutput& output) { unlink(MarkerPath(output).c_str()); }

void RemovePartialOutput(const DocumentOutput& output) {
    const std::string marker = MarkerPath(output);
    const std::string markerName = marker.substr(output.outputDirectory.size());
    for (const platform::DirectoryEntry& entry : platform::ListDirectory(output.outputDirectory))
        if (entry.isRegularFile && !entry.isLink && (entry.name == markerName || IsImageFileOf(entry.name, output.imageTitle)))
            unlink((output.outputDirectory + entry.name).c_str());
}
