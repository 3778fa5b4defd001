#include "codecs/rasterimage_bmp.h"

#include "codecs/little_endian.h"

#include <cstring>

namespace {

const int kFileHeaderSize = 14;

} // namespace

bool CRasterImageBMP::Decode(CByteStream* stream) {
    if (!stream) {
        SetLastError("null file handler");
        return false;
    }
    const long start = stream->Tell();
    uint8_t fileHeader[kFileHeaderSize];
    if (stream->Read(fileHeader, 1, kFileHeaderSize) != kFileHeaderSize) {
        SetLastError("Not a BMP");
        return false;
    }
    const bool hasFileHeader = fileHeader[0] == 'B' && fileHeader[1] == 'M';
    if (!hasFileHeader)
        stream->Seek(static_cast<int32_t>(start), 0); // a bare information header

    uint8_t header[40];
    if (stream->Read(header, 1, sizeof header) != sizeof header) {
        SetLastError("Error reading BMP info");
        return false;
    }
    const uint32_t headerSize = Le32(header);
    const int32_t width = static_cast<int32_t>(Le32(header + 4));
    const int32_t height = static_cast<int32_t>(Le32(header + 8));
    const uint16_t planes = Le16(header + 12);
    const uint16_t bitCount = Le16(header + 14);
    const uint32_t compression = Le32(header + 16);
    const uint32_t imageSize = Le32(header + 20);
    const uint32_t coloursUsed = Le32(header + 32);
    bool accepted = headerSize == 12 || headerSize == 40 || headerSize == 64;
    if (!accepted && headerSize > 40)
        accepted = planes == 1 && coloursUsed == 0 &&
                   imageSize >= (static_cast<uint64_t>(bitCount) * static_cast<uint32_t>(width) + 31) / 32 *
                                    static_cast<uint32_t>(height) * 4;
    if (!accepted) {
        SetLastError("Error reading BMP info");
        return false;
    }
    // Only the plain layouts are read: uncompressed, 1, 4, 8 or 24 bits, a
    // full information header.
    if (headerSize < 40 || compression != 0 || width <= 0 || height == 0 || height == INT32_MIN ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) ||
        coloursUsed > (bitCount == 24 ? 0u : 1u << bitCount)) {
        SetLastError("Unsupported BMP layout");
        return false;
    }
    const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
    if (!Create(static_cast<uint32_t>(width), rows, bitCount, RASTER_FORMAT_BMP))
        return false;
    head.biXPelsPerMeter = static_cast<int32_t>(Le32(header + 24));
    head.biYPelsPerMeter = static_cast<int32_t>(Le32(header + 28));
    std::memcpy(pDib, &head, sizeof head);

    stream->Seek(static_cast<int32_t>(start + (hasFileHeader ? kFileHeaderSize : 0) + headerSize), 0);
    const uint32_t paletteEntries = coloursUsed ? coloursUsed : head.biClrUsed;
    if (paletteEntries && stream->Read(GetPalette(), 4, paletteEntries) != paletteEntries) {
        SetLastError("Error reading BMP palette");
        Destroy();
        return false;
    }
    if (hasFileHeader)
        stream->Seek(static_cast<int32_t>(start + Le32(fileHeader + 10)), 0);
    for (uint32_t r = 0; r < rows; ++r) {
        const int32_t y = height > 0 ? static_cast<int32_t>(r) : static_cast<int32_t>(rows - 1 - r);
        if (stream->Read(RowBits(y), 1, info.dwEffWidth) != info.dwEffWidth) {
            SetLastError("Error reading BMP pixels");
            Destroy();
            return false;
        }
    }
    return true;
}

bool CRasterImageBMP::Encode(CByteStream* stream) {
    if (EncodeSafeCheck(stream))
        return false;
    const uint32_t offset = kFileHeaderSize + head.biSize + head.biClrUsed * 4;
    uint8_t fileHeader[kFileHeaderSize] = {'B', 'M'};
    PutLe32(fileHeader + 2, offset + head.biSizeImage);
    PutLe32(fileHeader + 10, offset);
    std::memcpy(pDib, &head, sizeof head);
    if (stream->Write(fileHeader, 1, kFileHeaderSize) != kFileHeaderSize || stream->Write(pDib, GetSize(), 1) != 1) {
        SetLastError("Write Error in BMP file");
        return false;
    }
    return true;
}
