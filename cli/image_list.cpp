#include "cli/image_list.h"

#include "engine/settings/text_format.h"

#include <algorithm>
#include <array>

namespace {

// The catalogue's JSON keys in the order of the CSV columns; what became of
// the image comes last.
const std::vector<std::string> kFactKeys = {
    "page", "image", "type", "width", "height", "colour_space", "components", "bits_per_component", "encoding",
    "interpolate", "inline", "object", "generation", "placed_width_pt", "placed_height_pt", "ppi_x", "ppi_y",
    "stored_bytes", "decoded_bytes", "ratio", "bbox_pt", "matrix", "reason"};
const std::vector<std::string> kFileKeys = {"file", "file_bytes", "sha256", "duplicate_of", "orient_note"};
const std::vector<std::string> kKeptKeys = {"kept_as", "note"};

std::vector<std::string> CsvKeys(bool withFiles, bool withKept) {
    std::vector<std::string> keys = kFactKeys;
    if (withFiles)
        keys.insert(keys.end(), kFileKeys.begin(), kFileKeys.end());
    if (withKept)
        keys.insert(keys.end(), kKeptKeys.begin(), kKeptKeys.end());
    return keys;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string FieldText(const nlohmann::json& value) {
    if (value.is_null())
        return "";
    if (value.is_string())
        return value.get<std::string>();
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Fixed(double value, int decimals) { return FormatText("%.*f", decimals, value); }

std::string ObjectText(const ImageEntry& entry) {
    if (entry.inlineImage)
        return "inline";
    return entry.object > 0 ? FormatText("%d %d", entry.object, entry.generation) : "-";
}

// The box on the page as shown, to a tenth of a point (adding 0 turns a -0
// into 0), marked with '*' when the image is turned or mirrored there.
std::string PositionText(const ImagePlacement& placement) {
    const std::array<double, 4> box = placement.Box();
    return FormatText("%.1f,%.1f,%.1f,%.1f%s", box[0] + 0.0, box[1] + 0.0, box[2] + 0.0, box[3] + 0.0,
                      placement.Turn().Upright() ? "" : "*");
}

bool IsMask(const ImageEntry& entry) { return entry.type == "mask" || entry.type == "smask"; }

} // namespace

std::string ImageTable(const std::string& path, const std::vector<ImageEntry>& entries, bool withKept) {
    const long images = std::count_if(entries.begin(), entries.end(), [](const ImageEntry& e) { return !IsMask(e); });
    std::string text = FormatText("%s: %ld image%s\n", path.c_str(), images, images == 1 ? "" : "s");
    if (entries.empty())
        return text;
    const std::vector<std::string> header = {"page", "image", "type", "width", "height", "colour", "comp",
                                             "bpc", "encoding", "interp", "object", "width-pt", "height-pt",
                                             "x-ppi", "y-ppi", "stored", "ratio", "position", "note"};
    // Numbers are right-aligned, words left-aligned.
    const std::string rightAligned = "1101101100011111100";
    std::vector<std::vector<std::string>> rows{header};
    for (const ImageEntry& e : entries)
        rows.push_back({std::to_string(e.page), std::to_string(e.number), e.type, std::to_string(e.width),
                        std::to_string(e.height), e.colourSpace.empty() ? "-" : e.colourSpace,
                        std::to_string(e.components), std::to_string(e.bitsPerComponent), e.encoding,
                        e.interpolate ? "yes" : "no", ObjectText(e), Fixed(e.placedWidth, 2),
                        Fixed(e.placedHeight, 2), Fixed(e.ppiX, 1), Fixed(e.ppiY, 1),
                        e.storedBytes >= 0 ? std::to_string(e.storedBytes) : "-",
                        e.storedBytes >= 0 ? Fixed(StoredRatio(e), 3) : "-", PositionText(e.placement),
                        e.noFile.empty() ? e.note : e.noFile});
    if (withKept) {
        // Before the note, which stays last.
        rows[0].insert(rows[0].end() - 1, "kept-as");
        for (size_t r = 1; r < rows.size(); ++r) {
            const std::string& kept = entries[r - 1].keptAs;
            rows[r].insert(rows[r].end() - 1, kept.empty() ? "-" : kept);
        }
    }
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string padding(widths[c] - row[c].size(), ' ');
            line += (c ? "  " : "") + (rightAligned[c] == '1' ? padding + row[c] : row[c] + padding);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

nlohmann::json ImageLine(const std::string& path, const ImageEntry& entry) {
    nlohmann::json line = ImageEntryJson(entry);
    line["path"] = path;
    return line;
}

std::string CsvHeader(bool withFiles, bool withKept) {
    std::string line = "path";
    for (const std::string& key : CsvKeys(withFiles, withKept))
        line += "," + key;
    return line + "\n";
}

std::string CsvRow(const std::string& path, const ImageEntry& entry, bool withFiles, bool withKept) {
    const nlohmann::json fields = ImageEntryJson(entry);
    std::string line = CsvField(path);
    for (const std::string& key : CsvKeys(withFiles, withKept))
        line += "," + CsvField(FieldText(fields.value(key, nlohmann::json())));
    return line + "\n";
}
