#include "engine/dump/ccitt_tiff.h"

#include "engine/settings/text_format.h"

#include <cstdint>
#include <vector>

namespace {

const std::uint16_t kShort = 3;
const std::uint16_t kLong = 4;

struct Tag {
    std::uint16_t id;
    std::uint16_t type;
    std::uint32_t value;
};

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

} // namespace

std::string CcittTiffRefusal(const CcittParameters& parameters, int width) {
    if (parameters.columns != width)
        return FormatText("its fax rows are %d pixels wide and the image %d", parameters.columns, width);
    if (parameters.k >= 0 && !parameters.endOfLine)
        return "its Group 3 rows have no end-of-line codes, which a TIFF file needs";
    if (parameters.k < 0 && parameters.byteAlign)
        return "its Group 4 rows are aligned on bytes, which a TIFF file cannot say";
    if (parameters.k < 0 && parameters.endOfLine)
        return "its Group 4 rows carry end-of-line codes, which a TIFF file cannot say";
    return {};
}

std::string CcittTiff(const CcittParameters& parameters, int width, int height, bool minIsBlack,
                      const std::string& data) {
    const bool group4 = parameters.k < 0;
    // T4Options: bit 0 two-dimensional coding, bit 2 fill bits that end each
    // end-of-line code on a byte boundary. T6Options: no option.
    const std::uint32_t options = group4 ? 0 : (parameters.k > 0 ? 1u : 0u) | (parameters.byteAlign ? 4u : 0u);
    const std::vector<Tag> tags = {
        {256, kLong, static_cast<std::uint32_t>(width)},
        {257, kLong, static_cast<std::uint32_t>(height)},
        {258, kShort, 1},                          // bits per sample
        {259, kShort, group4 ? 4u : 3u},           // compression
        {262, kShort, minIsBlack ? 1u : 0u},       // photometric interpretation
        {266, kShort, 1},                          // fill order: first bit in the byte's high bit
        {273, kLong, 0},                           // strip offset, set below
        {277, kShort, 1},                          // samples per pixel
        {278, kLong, static_cast<std::uint32_t>(height)}, // rows per strip: one strip
        {279, kLong, static_cast<std::uint32_t>(data.size())},
        {static_cast<std::uint16_t>(group4 ? 293 : 292), kLong, options},
    };
    const std::uint32_t ifdOffset = 8;
    const std::uint32_t dataOffset = ifdOffset + 2 + 12 * static_cast<std::uint32_t>(tags.size()) + 4;
    std::string file = "II";
    Put16(file, 42);
    Put32(file, ifdOffset);
    Put16(file, static_cast<std::uint32_t>(tags.size()));
    for (const Tag& tag : tags) {
        Put16(file, tag.id);
        Put16(file, tag.type);
        Put32(file, 1);
        const std::uint32_t value = tag.id == 273 ? dataOffset : tag.value;
        if (tag.type == kShort) {
            Put16(file, value);
            Put16(file, 0);
        } else {
            Put32(file, value);
        }
    }
    Put32(file, 0); // no next directory
    return file + data;
}
