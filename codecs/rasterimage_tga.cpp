#include "codecs/rasterimage_tga.h"


bool CRasterImageTGA::Encode(CByteStream* stream) {
    if (EncodeSafeCheck(stream))
        return false;
    const uint32_t bpp = head.biBitCount;
    if (bpp < 8) {
        SetLastError("Bit depth must be 8 or 24");
        return false;
    }
    const bool mapped = bpp == 8;
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
    header[16] = static_cast<uint8_t>(bpp);
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
    const uint32_t rowBytes = width * (bpp / 8);
    for (uint32_t y = 0; y < height && written; ++y)
        written = stream->Write(RowBits(static_cast<int32_t>(y)), 1, rowBytes) == rowBytes;
    if (!written) {
        SetLastError("Write Error in TGA file");
        return false;
    }
    return true;
}
