#include "codecs/pnm_to_png.h"

#include "codecs/png_file_writer.h"
#include "codecs/rasterimage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char kUnreadable[] = "error: cannot load image data"; // as the PNM reader says it

} // namespace

PnmToPng::PnmToPng(CByteStream& source) : source_(source) {
    const char* error = nullptr;
    if (!ReadPnmHeader(&source_, &header_, &error))
        return;
    const uint32_t width = header_.width, height = header_.height;
    switch (header_.kind) {
    case '4': bitsPerPixel_ = 1; break;
    case '5': bitsPerPixel_ = header_.maxValue == 255 ? 8 : 0; break;
    case '6': bitsPerPixel_ = header_.maxValue == 255 ? 24 : 0; break;
    // Red, green, blue and opacity, as the image dump writes a masked image.
    case '7': bitsPerPixel_ = header_.maxValue == 255 && header_.depth == 4 && header_.alpha ? 32 : 0; break;
    default: break;
    }
    // What the reader would refuse, it refuses in its own words (it holds
    // opacity beside 24-bit pixels).
    if (bitsPerPixel_ == 0 || !CRasterImage::FitsMemoryLimit(width, height, std::min(bitsPerPixel_, 24u)))
        return;
    rowBytes_ = (static_cast<uint64_t>(width) * bitsPerPixel_ + 7) / 8;
    dataStart_ = source_.Tell();
    const long left = source_.Size() - dataStart_;
    if (left < 0 || rowBytes_ * height > static_cast<uint64_t>(left))
        return;
    // The loaded image's rows are padded to four bytes: the writer's choices
    // are made on that size.
    const uint64_t storedRow = (static_cast<uint64_t>(width) * bitsPerPixel_ + 31) / 32 * 4;
    filteredBytes_ = (storedRow + 1) * height;
    taken_ = filteredBytes_ <= kWholePngLimit;
}

// The next row of the file, as the loaded image holds it: a PBM's bits
// inverted (the loaded image's index 0 is black) and its padding cleared.
bool PnmToPng::ReadNextRow(uint8_t* row) {
    if (source_.Read(row, 1, static_cast<unsigned>(rowBytes_)) != rowBytes_)
        return false;
    if (header_.kind == '4') {
        for (uint64_t i = 0; i < rowBytes_; ++i)
            row[i] = static_cast<uint8_t>(~row[i]);
        if (const uint32_t used = header_.width % 8; used != 0)
            row[rowBytes_ - 1] &= static_cast<uint8_t>(0xFF << (8 - used));
    }
    return true;
}

bool PnmToPng::SeekRow(uint64_t fileRow) {
    return source_.Seek(static_cast<int32_t>(dataStart_ + fileRow * rowBytes_), SEEK_SET);
}

// The flatness the PNG writer finds in the loaded image, whose rows are
// counted from the bottom.
bool PnmToPng::Flat() {
    if (bitsPerPixel_ < 8)
        return true;
    PngFlatness flatness;
    std::vector<uint8_t> row(rowBytes_);
    const bool alpha = bitsPerPixel_ == 32;
    for (uint32_t y = 0; y < header_.height; y += PngFlatness::kFlatnessRowStep) {
        if (!SeekRow(header_.height - 1 - y) || !ReadNextRow(row.data()))
            return true; // the reading pass below tells the error
        if (alpha) // the loaded image's pixels are colour alone
            for (uint32_t x = 0; x < header_.width; ++x)
                std::memmove(&row[3 * x], &row[4 * x], 3);
        flatness.AddRow(row.data(), header_.width, alpha ? 3 : bitsPerPixel_ / 8);
    }
    return flatness.Flat();
}

bool PnmToPng::Write(CByteStream* target, std::string* error) {
    PngFileLayout layout;
    layout.width = header_.width;
    layout.height = header_.height;
    layout.bitDepth = bitsPerPixel_ == 1 ? 1 : 8;
    // A PBM loads as a two-entry black and white palette; PGM as gray.
    layout.colourType = bitsPerPixel_ == 1 ? 3 : bitsPerPixel_ == 8 ? 0 : bitsPerPixel_ == 24 ? 2 : 6;
    if (bitsPerPixel_ == 1)
        layout.paletteRgb = {0, 0, 0, 255, 255, 255};
    // A PNM file states no resolution: the loaded image has the default one.
    const CRasterImage defaults;
    layout.xPixelsPerMetre = static_cast<uint32_t>(defaults.GetHeader().biXPelsPerMeter);
    layout.yPixelsPerMetre = static_cast<uint32_t>(defaults.GetHeader().biYPelsPerMeter);
    const bool flat = Flat();
    PngFileWriter writer(layout, !flat, PngDeflateLevel(flat, filteredBytes_));
    bool read = SeekRow(0);
    for (uint32_t fileRow = 0; read && fileRow < header_.height; ++fileRow) {
        read = ReadNextRow(writer.NextRow());
        writer.EndRow();
    }
    if (!read) {
        *error = kUnreadable;
        return false;
    }
    std::string writerError;
    if (!writer.Write(target, &writerError)) {
        *error = "Error saving PNG file: " + writerError;
        return false;
    }
    return true;
}
