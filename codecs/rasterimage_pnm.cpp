#include "codecs/rasterimage_pnm.h"

#include <algorithm>
#include <vector>

namespace {

const char kBadData[] = "error: cannot load image data";

bool IsBlank(long c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads the next decimal number, skipping blanks and "#" comments; false when
// there is none or it exceeds limit.
bool ReadNumber(CByteStream* stream, uint32_t limit, uint32_t* value) {
    long c = stream->GetC();
    while (IsBlank(c) || c == '#') {
        if (c == '#')
            while (c >= 0 && c != '\n' && c != '\r')
                c = stream->GetC();
        c = stream->GetC();
    }
    if (c < '0' || c > '9')
        return false;
    uint64_t number = 0;
    for (; c >= '0' && c <= '9'; c = stream->GetC()) {
        number = number * 10 + static_cast<uint64_t>(c - '0');
        if (number > limit)
            return false;
    }
    // The character after the number (a blank ends it) is consumed, as a raw
    // image's single blank before the pixel data must be.
    if (c >= 0 && !IsBlank(c) && c != '#')
        return false;
    if (c == '#')
        while (c >= 0 && c != '\n' && c != '\r')
            c = stream->GetC();
    *value = static_cast<uint32_t>(number);
    return true;
}

// Next plain PBM sample: '0' or '1', blanks and comments between.
bool ReadPlainBit(CByteStream* stream, uint32_t* value) {
    for (long c = stream->GetC(); c >= 0; c = stream->GetC()) {
        if (c == '#') {
            while (c >= 0 && c != '\n' && c != '\r')
                c = stream->GetC();
        } else if (c == '0' || c == '1') {
            *value = static_cast<uint32_t>(c - '0');
            return true;
        } else if (!IsBlank(c)) {
            return false;
        }
    }
    return false;
}

int BitsFor(uint32_t maxValue) {
    int bits = 0;
    while (maxValue >> bits)
        ++bits;
    return bits;
}

} // namespace

bool CRasterImagePNM::Decode(CByteStream* stream, uint32_t type) {
    if (!stream)
        return false;
    long magic = stream->GetC(), kind = stream->GetC();
    if (magic != 'P' || kind < '1' || kind > '6') {
        SetLastError("error: unknowm format");
        return false;
    }
    uint32_t width = 0, height = 0, maxValue = 1;
    const bool bitmap = kind == '1' || kind == '4';
    if (!ReadNumber(stream, INT32_MAX, &width) || !ReadNumber(stream, INT32_MAX, &height) ||
        (!bitmap && !ReadNumber(stream, 65535, &maxValue)) || width == 0 || height == 0 || maxValue == 0) {
        SetLastError(kBadData);
        return false;
    }
    if (info.nEscape == -1) {
        head.biWidth = static_cast<int32_t>(width);
        head.biHeight = static_cast<int32_t>(height);
        info.dwType = RASTER_FORMAT_PNM;
        SetLastError("output dimensions returned");
        return true;
    }
    info.nNumFrames = 1;
    return DecodeRows(stream, static_cast<char>(kind), width, height, maxValue, type) ||
           (Destroy(), false);
}

bool CRasterImagePNM::DecodeRows(CByteStream* stream, char kind, uint32_t width, uint32_t height, uint32_t maxValue,
                                 uint32_t type) {
    const bool colour = kind == '3' || kind == '6';
    const bool raw = kind >= '4';
    const int components = colour ? 3 : 1;
    const int precision = BitsFor(maxValue);
    const int shift = precision > 8 ? precision - 8 : 0;
    const int sampleBytes = maxValue > 255 ? 2 : 1;

    const uint32_t bpp = colour ? 24 : static_cast<uint32_t>(std::min(precision, 8));
    if (!FitsMemoryLimit(width, height, bpp)) {
        SetLastError("RASTER_MAX_MEMORY exceeded");
        return false;
    }
    // Every sample takes at least one byte of the file (a raw PBM row its
    // packed bytes): a file too short for its header is refused before any
    // memory is taken for it.
    const uint64_t rowBytes = kind == '4' ? (static_cast<uint64_t>(width) + 7) / 8
                              : raw      ? static_cast<uint64_t>(width) * components * sampleBytes
                                         : static_cast<uint64_t>(width) * components;
    const long left = stream->Size() - stream->Tell();
    if (left < 0 || rowBytes * height > static_cast<uint64_t>(left)) {
        SetLastError(kBadData);
        return false;
    }
    if (colour) {
        if (!Create(width, height, 24, RASTER_FORMAT_PNM))
            return false;
    } else {
        if (!Create(width, height, bpp, type))
            return false;
        SetGrayPalette();
    }

    std::vector<uint8_t> packed(static_cast<size_t>(rowBytes));
    std::vector<uint32_t> samples(static_cast<size_t>(width) * components);
    for (uint32_t fileRow = 0; fileRow < height; ++fileRow) {
        if (raw) {
            if (stream->Read(packed.data(), 1, static_cast<unsigned>(rowBytes)) != rowBytes) {
                SetLastError(kBadData);
                return false;
            }
            for (size_t i = 0; i < samples.size(); ++i) {
                if (kind == '4')
                    samples[i] = 1 - ((packed[i >> 3] >> (7 - (i & 7))) & 1);
                else
                    samples[i] = sampleBytes == 2 ? (packed[2 * i] << 8 | packed[2 * i + 1]) : packed[i];
            }
        } else {
            for (uint32_t& sample : samples) {
                bool ok = kind == '1' ? ReadPlainBit(stream, &sample) : ReadNumber(stream, 65535, &sample);
                if (!ok) {
                    SetLastError(kBadData);
                    return false;
                }
                if (kind == '1')
                    sample = 1 - sample;
            }
        }
        const int32_t y = static_cast<int32_t>(height - 1 - fileRow);
        if (colour) {
            uint8_t* pixel = RowBits(y);
            for (uint32_t x = 0; x < width; ++x, pixel += 3) {
                pixel[2] = static_cast<uint8_t>(samples[3 * x] >> shift);
                pixel[1] = static_cast<uint8_t>(samples[3 * x + 1] >> shift);
                pixel[0] = static_cast<uint8_t>(samples[3 * x + 2] >> shift);
            }
        } else {
            for (uint32_t x = 0; x < width; ++x)
                BlindSetPixelIndex(static_cast<int32_t>(x), y, static_cast<uint8_t>(samples[x] >> shift));
        }
    }
    return true;
}
