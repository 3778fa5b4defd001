#include "codecs/rasterimage_pcx.h"

#include "codecs/little_endian.h"

#include <vector>

namespace {

// Run-length packing of one value at a time; a row ends with a row-end value
// that flushes the last run (and, for odd widths, adds a pad byte).
class BytePacker {
public:
    explicit BytePacker(std::vector<uint8_t>& out) : out_(out) {}

    void Reset() { value_ = count_ = 0; }

    void Feed(int value) {
        if (value != value_ && count_ > 0) {
            if (count_ == 1 && value_ < 0xC0) {
                out_.push_back(static_cast<uint8_t>(value_));
            } else {
                out_.push_back(static_cast<uint8_t>(0xC0 | count_));
                out_.push_back(static_cast<uint8_t>(value_));
            }
            count_ = 0;
        }
        if (count_ == 63) {
            out_.push_back(0xFF);
            out_.push_back(static_cast<uint8_t>(value_));
            count_ = 0;
        }
        if (value < 0) { // row end: -2 for an odd width, -1 for an even one
            if (value == -2)
                out_.push_back(0);
            value_ = static_cast<uint8_t>(value);
            count_ = 1;
            return;
        }
        value_ = value;
        ++count_;
    }

private:
    std::vector<uint8_t>& out_;
    int value_ = 0;
    int count_ = 0;
};

// Run-length packing of a whole plane line.
void PackLine(const std::vector<uint8_t>& line, std::vector<uint8_t>& out) {
    size_t i = 0;
    while (i < line.size()) {
        const uint8_t value = line[i];
        int count = 1;
        while (i + count < line.size() && line[i + count] == value && count < 63)
            ++count;
        if (count > 1 || value >= 0xC0)
            out.push_back(static_cast<uint8_t>(0xC0 | count));
        out.push_back(value);
        i += static_cast<size_t>(count);
    }
}

} // namespace

bool CRasterImagePCX::Encode(CByteStream* stream) {
    if (EncodeSafeCheck(stream))
        return false;
    const uint32_t bpp = head.biBitCount;
    const int32_t width = head.biWidth, height = head.biHeight;
    const bool packedBits = bpp == 1 || bpp == 4;
    const int planes = bpp == 24 ? 3 : bpp == 4 ? 4 : 1;
    uint32_t bytesPerLine = packedBits ? (static_cast<uint32_t>(width) + 7) / 8 : static_cast<uint32_t>(width);
    bytesPerLine += bytesPerLine & 1;

    uint8_t header[128] = {10, 5, 1, static_cast<uint8_t>(packedBits ? 1 : 8)};
    PutLe16(header + 8, static_cast<uint32_t>(width - 1));
    PutLe16(header + 10, static_cast<uint32_t>(height - 1));
    PutLe16(header + 12, static_cast<uint32_t>(info.xDPI));
    PutLe16(header + 14, static_cast<uint32_t>(info.yDPI));
    if (bpp == 1) {
        header[19] = header[20] = header[21] = 255; // entry 1 white, entry 0 black
    } else if (bpp == 4) {
        for (uint32_t i = 0; i < 16; ++i) {
            RGBQUAD c = GetPaletteColor(i);
            header[16 + 3 * i] = c.rgbRed;
            header[17 + 3 * i] = c.rgbGreen;
            header[18 + 3 * i] = c.rgbBlue;
        }
    }
    header[65] = static_cast<uint8_t>(planes);
    PutLe16(header + 66, bytesPerLine);
    PutLe16(header + 68, bpp == 24 ? 1 : 0);
    if (stream->Write(header, 1, sizeof header) != sizeof header) {
        SetLastError("cannot write PCX header");
        return false;
    }

    // Each row is packed on its own and written at once: the file is never
    // held in memory.
    std::vector<uint8_t> lines;
    BytePacker packer(lines);
    bool written = true;
    const int rowEnd = (width & 1) ? -2 : -1;
    // A 1-bit image whose first entry is the brighter one is flipped, so that
    // index 1 always stands for white as the fixed header map says.
    const bool flipBits = bpp == 1 && RasterGrayLevel(GetPaletteColor(0)) - RasterGrayLevel(GetPaletteColor(1)) > 0;
    std::vector<uint8_t> indexes(static_cast<size_t>(width));
    std::vector<uint8_t> line(bytesPerLine);
    for (int32_t y = height - 1; y >= 0; --y) {
        if (bpp == 24) {
            for (int channel = 2; channel >= 0; --channel) { // red, green, blue planes
                packer.Reset();
                const uint8_t* pixel = RowBits(y) + channel;
                for (int32_t x = 0; x < width; ++x, pixel += 3)
                    packer.Feed(*pixel);
                packer.Feed(rowEnd);
            }
        } else if (bpp == 8) {
            packer.Reset();
            const uint8_t* row = RowBits(y);
            for (int32_t x = 0; x < width; ++x)
                packer.Feed(row[x]);
            packer.Feed(rowEnd);
        } else {
            for (int32_t x = 0; x < width; ++x)
                indexes[x] = flipBits ? 1 - BlindGetPixelIndex(x, y) : BlindGetPixelIndex(x, y);
            for (int plane = 0; plane < planes; ++plane) {
                std::fill(line.begin(), line.end(), 0);
                for (int32_t x = 0; x < width; ++x)
                    if (indexes[x] >> plane & 1)
                        line[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                PackLine(line, lines);
            }
        }
        written = written && stream->Write(lines.data(), 1, static_cast<unsigned>(lines.size())) == lines.size();
        lines.clear();
    }
    if (bpp == 8) {
        uint8_t palette[1 + 768] = {12};
        for (uint32_t i = 0; i < 256; ++i) {
            RGBQUAD c = GetPaletteColor(i);
            palette[1 + 3 * i] = c.rgbRed;
            palette[2 + 3 * i] = c.rgbGreen;
            palette[3 + 3 * i] = c.rgbBlue;
        }
        written = stream->Write(palette, 1, sizeof palette) == sizeof palette && written;
    }
    if (!written) {
        SetLastError("Write Error in PCX file");
        return false;
    }
    return true;
}
