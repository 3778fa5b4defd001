#include "codecs/rasterimage_tga.h"

#include <cstring>
#include <vector>

bool CRasterImageTGA::Encode(CByteStream* stream) {
    if (EncodeSafeCheck(stream))
        return false;
    const uint32_t bpp = head.biBitCount;
    if (bpp < 8) {
        SetLastError("Bit depth must be 8 or 24");
        return false;
    }
    const bool mapped = bpp == 8;
    // A 24-bit image with an alpha plane is written as 32 bits: blue, green,
    // red, alpha, with the 8 alpha bits said in the descriptor.
    const bool alpha = bpp == 24 && HasAlpha();
    const uint32_t fileBpp = alpha ? 32 : bpp;
    const uint32_t width = GetWidth(), height = GetHeight();
    uint8_t header[18] = {};
    header[1] = head.biClrUsed ? 1 : 0;
    header[2] = mapped ? 1 : 2;
    header[6] = mapped ? 1 : 0; // colour map length: 256, little-endian
    header[7] = mapped ? 24 : 0;
    header[12] = static_cast<uint8_t>(width);
    header[13] = static_cast<uint8_t>(width >> 8);
    header[14] = static_cast<uint8_t>(height);
    header[15] = static_cast<uint8_t>(height >> 8);
    header[16] = static_cast<uint8_t>(fileBpp);
    header[17] = alpha ? 8 : 0;
    bool written = stream->Write(header, 1, sizeof header) == sizeof header;
    if (mapped) {
        uint8_t map[768];
        for (int i = 0; i < 256; ++i) {
            RGBQUAD c = GetPaletteColor(static_cast<uint32_t>(i));
            map[3 * i] = c.rgbBlue;
            map[3 * i + 1] = c.rgbGreen;
            map[3 * i + 2] = c.rgbRed;
        }
        written = written && stream->Write(map, 1, sizeof map) == sizeof map;
    }
    const uint32_t rowBytes = width * (fileBpp / 8);
    std::vector<uint8_t> row(alpha ? rowBytes : 0);
    for (uint32_t y = 0; y < height && written; ++y) {
        const int32_t at = static_cast<int32_t>(y);
        const uint8_t* bytes = RowBits(at);
        if (alpha) {
            for (uint32_t x = 0; x < width; ++x) {
                std::memcpy(&row[4 * x], bytes + 3 * x, 3);
                row[4 * x + 3] = AlphaRow(at)[x];
            }
            bytes = row.data();
        }
        written = stream->Write(bytes, 1, rowBytes) == rowBytes;
    }
    if (!written) {
        SetLastError("Write Error in TGA file");
        return false;
    }
    return true;
}
