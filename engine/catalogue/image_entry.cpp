#include "engine/catalogue/image_entry.h"

#include <GfxState.h>
#include <Object.h>
#include <Stream.h>
#include <XRef.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

// The name a user knows a filter by; empty for streams that are no filter.
const char* FilterName(StreamKind kind) {
    switch (kind) {
    case strDCT: return "jpeg";
    case strJPX: return "jpx";
    case strJBIG2: return "jbig2";
    case strCCITTFax: return "ccitt";
    case strFlate: return "flate";
    case strLZW: return "lzw";
    case strRunLength: return "rle";
    case strASCIIHex: return "asciihex";
    case strASCII85: return "ascii85";
    default: return "";
    }
}

// The engine hands the outermost filter, which decodes last; the list names
// them in the order they decode. The chain ends at the stream that holds
// the data: an inline image's names the kind of the page content it sits in,
// which is not the image's encoding.
std::string Encoding(Stream* str) {
    std::vector<std::string> names;
    for (Stream* s = str; s && s->getBaseStream() != s; s = s->getNextStream())
        if (*FilterName(s->getKind()))
            names.insert(names.begin(), FilterName(s->getKind()));
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : "+") + name;
    return joined.empty() ? "raw" : joined;
}

// Numbers in the JSON keep a few decimals: enough for points and ppi.
double Rounded(double value, double scale) { return std::round(value * scale) / scale; }

// Adding 0 turns a -0 into 0, which reads the same to anyone.
template <size_t N>
nlohmann::json RoundedArray(const std::array<double, N>& values, double scale) {
    nlohmann::json array = nlohmann::json::array();
    for (double value : values)
        array.push_back(Rounded(value, scale) + 0.0);
    return array;
}

} // namespace

ImageEntry DescribeImage(const char* type, GfxState* state, Stream* str, int width, int height,
                         GfxImageColorMap* colorMap, bool interpolate, bool inlineImage) {
    ImageEntry entry;
    entry.type = type;
    entry.width = width;
    entry.height = height;
    if (colorMap) {
        entry.components = colorMap->getNumPixelComps();
        entry.bitsPerComponent = colorMap->getBits();
        if (GfxColorSpace* space = colorMap->getColorSpace(); space && entry.type != "smask")
            entry.colourSpace = GfxColorSpace::getColorSpaceModeName(space->getMode());
    }
    entry.encoding = Encoding(str);
    entry.interpolate = interpolate;
    entry.inlineImage = inlineImage;
    // The unit square of image space, as the page's matrix places it; the
    // device renders at 72 dpi, so its units are points.
    const double* ctm = state->getCTM();
    entry.placedWidth = std::hypot(ctm[0], ctm[1]);
    entry.placedHeight = std::hypot(ctm[2], ctm[3]);
    entry.ppiX = entry.placedWidth > 0 ? width * 72.0 / entry.placedWidth : 0;
    entry.ppiY = entry.placedHeight > 0 ? height * 72.0 / entry.placedHeight : 0;
    entry.placement = PlacementOf(state);
    if (!inlineImage)
        if (BaseStream* stored = str->getBaseStream())
            entry.storedBytes = stored->getLength();
    const long long rowBits = static_cast<long long>(width) * entry.components * entry.bitsPerComponent;
    entry.decodedBytes = (rowBits + 7) / 8 * height;
    return entry;
}

void SetObject(ImageEntry& entry, Object* ref, XRef* xref, const char* maskKey) {
    if (!ref || !ref->isRef())
        return;
    Ref found = ref->getRef();
    if (maskKey) {
        if (!xref)
            return;
        const Object image = xref->fetch(found);
        if (!image.isStream())
            return;
        const Object mask = image.streamGetDict()->lookupNF(maskKey).copy();
        if (!mask.isRef())
            return;
        found = mask.getRef();
    }
    entry.object = found.num;
    entry.generation = found.gen;
}

double StoredRatio(const ImageEntry& entry) {
    return entry.storedBytes >= 0 && entry.decodedBytes > 0
               ? static_cast<double>(entry.storedBytes) / static_cast<double>(entry.decodedBytes)
               : 0;
}

nlohmann::json ImageEntryJson(const ImageEntry& entry) {
    auto known = [](long long value) { return value >= 0 ? nlohmann::json(value) : nlohmann::json(); };
    nlohmann::json value = {
        {"page", entry.page},
        {"image", entry.number},
        {"type", entry.type},
        {"width", entry.width},
        {"height", entry.height},
        {"colour_space", entry.colourSpace},
        {"components", entry.components},
        {"bits_per_component", entry.bitsPerComponent},
        {"encoding", entry.encoding},
        {"interpolate", entry.interpolate},
        {"inline", entry.inlineImage},
        {"object", entry.object > 0 ? nlohmann::json(entry.object) : nlohmann::json()},
        {"generation", entry.object > 0 ? nlohmann::json(entry.generation) : nlohmann::json()},
        {"placed_width_pt", Rounded(entry.placedWidth, 100)},
        {"placed_height_pt", Rounded(entry.placedHeight, 100)},
        {"ppi_x", Rounded(entry.ppiX, 10)},
        {"ppi_y", Rounded(entry.ppiY, 10)},
        {"bbox_pt", RoundedArray(entry.placement.Box(), 100)},
        {"matrix", RoundedArray(entry.placement.matrix, 10000)},
        {"stored_bytes", known(entry.storedBytes)},
        {"decoded_bytes", entry.decodedBytes},
        {"ratio", entry.storedBytes >= 0 ? nlohmann::json(Rounded(StoredRatio(entry), 1000)) : nlohmann::json()},
    };
    if (!entry.file.empty())
        value["file"] = entry.file;
    if (!entry.noFile.empty())
        value["reason"] = entry.noFile;
    if (!entry.duplicateOf.empty())
        value["duplicate_of"] = entry.duplicateOf;
    if (entry.fileBytes >= 0)
        value["file_bytes"] = entry.fileBytes;
    if (!entry.sha256.empty())
        value["sha256"] = entry.sha256;
    if (!entry.pixelsHash.empty())
        value["pixels_sha256"] = entry.pixelsHash;
    if (!entry.turnNote.empty())
        value["orient_note"] = entry.turnNote;
    if (!entry.keptAs.empty())
        value["kept_as"] = entry.keptAs;
    if (!entry.note.empty())
        value["note"] = entry.note;
    return value;
}

ImageEntry ImageEntryFromJson(const nlohmann::json& value) {
    ImageEntry entry;
    auto number = [&value](const char* key, auto fallback) {
        const auto found = value.find(key);
        return found != value.end() && found->is_number() ? found->get<decltype(fallback)>() : fallback;
    };
    entry.page = number("page", 0);
    entry.number = number("image", 0);
    entry.type = value.value("type", "");
    entry.width = number("width", 0);
    entry.height = number("height", 0);
    entry.colourSpace = value.value("colour_space", "");
    entry.components = number("components", 1);
    entry.bitsPerComponent = number("bits_per_component", 1);
    entry.encoding = value.value("encoding", "");
    entry.interpolate = value.value("interpolate", false);
    entry.inlineImage = value.value("inline", false);
    entry.object = number("object", 0);
    entry.generation = number("generation", 0);
    entry.placedWidth = number("placed_width_pt", 0.0);
    entry.placedHeight = number("placed_height_pt", 0.0);
    entry.ppiX = number("ppi_x", 0.0);
    entry.ppiY = number("ppi_y", 0.0);
    if (const auto matrix = value.find("matrix"); matrix != value.end() && matrix->is_array() && matrix->size() == 6)
        for (size_t i = 0; i < 6; ++i)
            if ((*matrix)[i].is_number())
                entry.placement.matrix[i] = (*matrix)[i].get<double>();
    entry.storedBytes = number("stored_bytes", -1ll);
    entry.decodedBytes = number("decoded_bytes", 0ll);
    entry.file = value.value("file", "");
    entry.noFile = value.value("reason", "");
    entry.duplicateOf = value.value("duplicate_of", "");
    entry.fileBytes = number("file_bytes", -1ll);
    entry.sha256 = value.value("sha256", "");
    entry.pixelsHash = value.value("pixels_sha256", "");
    entry.turnNote = value.value("orient_note", "");
    entry.keptAs = value.value("kept_as", "");
    entry.note = value.value("note", "");
    return entry;
}
