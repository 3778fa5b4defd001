#include "codecs/rasterimage_pnm.h"

#include <algorithm>
#include <string>
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

// Next blank-separated word of a PAM header, "#" comments skipped; empty at
// the end of the data.
std::string ReadWord(CByteStream* stream) {
    std::string word;
    for (long c = stream->GetC(); c >= 0; c = stream->GetC()) {
        if (c == '#' && word.empty()) {
            while (c >= 0 && c != '\n')
                c = stream->GetC();
        } else if (IsBlank(c)) {
            if (!word.empty())
                return word;
        } else if (word.size() < 32) {
            word += static_cast<char>(c);
        } else {
            return {};
        }
    }
    return word;
}

int BitsFor(uint32_t maxValue) {
    int bits = 0;
    while (maxValue >> bits)
        ++bits;
    return bits;
}

// Reads a PAM header after its "P7"; false when it is not one the reader
// takes.
bool ReadPamHeader(CByteStream* stream, uint32_t* width, uint32_t* height, uint32_t* maxValue, int* depth,
                   bool* alpha) {
    std::string tupleType;
    uint32_t declaredDepth = 0;
    for (std::string word = ReadWord(stream); word != "ENDHDR"; word = ReadWord(stream)) {
        bool ok = true;
        if (word == "WIDTH")
            ok = ReadNumber(stream, INT32_MAX, width);
        else if (word == "HEIGHT")
            ok = ReadNumber(stream, INT32_MAX, height);
        else if (word == "DEPTH")
            ok = ReadNumber(stream, 4, &declaredDepth);
        else if (word == "MAXVAL")
            ok = ReadNumber(stream, 65535, maxValue);
        else if (word == "TUPLTYPE")
            tupleType = ReadWord(stream);
        else
            ok = false; // the end of the data, or a word no PAM header has
        if (!ok)
            return false;
    }
    const struct {
        const char* name;
        int depth;
        bool alpha;
    } kTypes[] = {{"GRAYSCALE", 1, false}, {"RGB", 3, false}, {"GRAYSCALE_ALPHA", 2, true}, {"RGB_ALPHA", 4, true}};
    for (const auto& type : kTypes)
        if (tupleType == type.name && declaredDepth == static_cast<uint32_t>(type.depth)) {
            *depth = type.depth;
            *alpha = type.alpha;
            return true;
        }
    return false;
}

} // namespace

bool ReadPnmHeader(CByteStream* stream, PnmHeader* header, const char** error) {
    const long magic = stream->GetC(), kind = stream->GetC();
    if (magic != 'P' || kind < '1' || kind > '7') {
        *error = "error: unknowm format";
        return false;
    }
    header->kind = static_cast<char>(kind);
    header->maxValue = 1;
    const bool bitmap = kind == '1' || kind == '4';
    const bool read = kind == '7' ? ReadPamHeader(stream, &header->width, &header->height, &header->maxValue,
                                                  &header->depth, &header->alpha)
                                  : ReadNumber(stream, INT32_MAX, &header->width) &&
                                        ReadNumber(stream, INT32_MAX, &header->height) &&
                                        (bitmap || ReadNumber(stream, 65535, &header->maxValue));
    if (!read || header->width == 0 || header->height == 0 || header->maxValue == 0) {
        *error = kBadData;
        return false;
    }
    return true;
}

bool CRasterImagePNM::Decode(CByteStream* stream, uint32_t type) {
    if (!stream)
        return false;
    PnmHeader header;
    if (const char* error = nullptr; !ReadPnmHeader(stream, &header, &error)) {
        SetLastError(error);
        return false;
    }
    if (info.nEscape == -1) {
        head.biWidth = static_cast<int32_t>(header.width);
        head.biHeight = static_cast<int32_t>(header.height);
        info.dwType = RASTER_FORMAT_PNM;
        SetLastError("output dimensions returned");
        return true;
    }
    info.nNumFrames = 1;
    return DecodeRows(stream, header.kind, header.width, header.height, header.maxValue, type, header.depth,
                      header.alpha) ||
           (Destroy(), false);
}

bool CRasterImagePNM::DecodeRows(CByteStream* stream, char kind, uint32_t width, uint32_t height, uint32_t maxValue,
                                 uint32_t type, int depth, bool alpha) {
    // A gray image with alpha is held as colour, the one kind with a plane.
    const bool colour = kind == '3' || kind == '6' || (kind == '7' && (depth >= 3 || alpha));
    const bool raw = kind >= '4';
    const int components = kind == '7' ? depth : colour ? 3 : 1;
    const bool grayTuple = kind == '7' && depth <= 2; // a gray sample stands for all three
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
        if (!Create(width, height, 24, RASTER_FORMAT_PNM) || (alpha && !CreateAlpha()))
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
            const uint32_t* sample = samples.data();
            for (uint32_t x = 0; x < width; ++x, pixel += 3, sample += components) {
                pixel[2] = static_cast<uint8_t>(sample[0] >> shift);
                pixel[1] = static_cast<uint8_t>(sample[grayTuple ? 0 : 1] >> shift);
                pixel[0] = static_cast<uint8_t>(sample[grayTuple ? 0 : 2] >> shift);
                if (alpha)
                    AlphaRow(y)[x] = static_cast<uint8_t>(std::min(sample[components - 1], maxValue) * 255 / maxValue);
            }
        } else {
            for (uint32_t x = 0; x < width; ++x)
                BlindSetPixelIndex(static_cast<int32_t>(x), y, static_cast<uint8_t>(samples[x] >> shift));
        }
    }
    return true;
}
