#include "engine/image_dump_dev.h"

#include "engine/rgb_row_converter.h"
#include "engine/sample_row_reader.h"
#include "engine/text_format.h"

#include <Error.h>
#include <GfxState.h>
#include <Stream.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const int kCopyBlock = 64 * 1024;
// Widest RGB row the device holds in memory (a declared width beyond this is
// damaged data, not an image).
const std::int64_t kLargestRow = 256ll * 1024 * 1024;

// Reads up to count bytes and returns how many came; bytes past the end of
// the data read as 0xFF, the low byte of the engine's end-of-data value.
int ReadPadded(Stream* str, unsigned char* buffer, int count) {
    int got = std::max(str->doGetChars(count, buffer), 0);
    std::fill(buffer + got, buffer + count, 0xFF);
    return got;
}

} // namespace

ImageDumpDev::ImageDumpDev(const std::string& root, bool passJpegData) : rootPath(root), passJpeg(passJpegData) {}

int ImageDumpDev::TakeNumber() { return nextImageNumber++; }

std::string ImageDumpDev::FileName(int number, const char* extension) const {
    return FormatText("%s-%03d.%s", rootPath.c_str(), number, extension);
}

FILE* ImageDumpDev::OpenImageFile(const std::string& name) {
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) {
        error(errIO, -1, "Couldn't open image file '{0:s}'", name.c_str());
        ++imagesFailed;
        return nullptr;
    }
    static thread_local std::vector<char> buffer(256 * 1024);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    return file;
}

void ImageDumpDev::FinishImageFile(FILE* file, const std::string& name) {
    bool failed = std::ferror(file) != 0;
    failed = (std::fclose(file) != 0) || failed;
    if (failed) {
        error(errIO, -1, "Couldn't write image file '{0:s}'", name.c_str());
        std::remove(name.c_str());
        ++imagesFailed;
    } else {
        ++imagesWritten;
    }
}

void ImageDumpDev::drawImageMask(GfxState*, Object*, Stream* str, int width, int height, bool, bool,
                                 bool inlineImg) {
    int number = TakeNumber();
    if (passJpeg && str->getKind() == strDCT && !inlineImg && WriteStoredJpeg(str, number))
        return;
    WritePbm(str, width, height, false, number);
}

void ImageDumpDev::drawImage(GfxState*, Object*, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                             bool, const int*, bool inlineImg) {
    int number = TakeNumber();
    if (passJpeg && str->getKind() == strDCT && colorMap->getNumPixelComps() == 3 && !inlineImg &&
        WriteStoredJpeg(str, number))
        return;
    if (colorMap->getNumPixelComps() == 1 && colorMap->getBits() == 1)
        WritePbm(str, width, height, true, number);
    else
        WritePpm(str, width, height, colorMap, number);
}

bool ImageDumpDev::WriteStoredJpeg(Stream* str, int number) {
    Stream* stored = str->getNextStream();
    if (!stored)
        return false;
    std::vector<unsigned char> block(kCopyBlock);
    stored->reset();
    int got = stored->doGetChars(kCopyBlock, block.data());
    if (got < 2 || block[0] != 0xFF || block[1] != 0xD8) {
        // Not JPEG data: leave the image to the decoding paths.
        stored->close();
        return false;
    }
    std::string name = FileName(number, "jpg");
    FILE* file = OpenImageFile(name);
    if (file) {
        for (; got > 0; got = stored->doGetChars(kCopyBlock, block.data()))
            std::fwrite(block.data(), 1, static_cast<size_t>(got), file);
        FinishImageFile(file, name);
    }
    stored->close();
    return true;
}

void ImageDumpDev::WritePbm(Stream* str, int width, int height, bool invertBytes, int number) {
    str->reset();
    const std::int64_t rowBytes = (static_cast<std::int64_t>(width) + 7) / 8;
    std::int64_t remaining = rowBytes * height;
    std::vector<unsigned char> block(kCopyBlock);
    int count = static_cast<int>(std::min<std::int64_t>(remaining, kCopyBlock));
    std::string name = FileName(number, "pbm");
    FILE* file = OpenDecodedImageFile(name, ReadPadded(str, block.data(), count) > 0, number);
    if (!file) {
        str->close();
        return;
    }
    std::fprintf(file, "P4\n%d %d\n", width, height);
    while (true) {
        if (invertBytes)
            for (int i = 0; i < count; ++i)
                block[i] ^= 0xFF;
        std::fwrite(block.data(), 1, static_cast<size_t>(count), file);
        remaining -= count;
        if (remaining <= 0)
            break;
        count = static_cast<int>(std::min<std::int64_t>(remaining, kCopyBlock));
        ReadPadded(str, block.data(), count);
    }
    FinishImageFile(file, name);
    str->close();
}

void ImageDumpDev::WritePpm(Stream* str, int width, int height, GfxImageColorMap* colorMap, int number) {
    const int components = colorMap->getNumPixelComps();
    if (static_cast<std::int64_t>(width) * std::max(3, components) > kLargestRow) {
        error(errSyntaxError, -1, "Image {0:d} is too wide", number);
        ++imagesFailed;
        return;
    }
    str->reset();
    SampleRowReader rows(str, width, components, colorMap->getBits());
    std::vector<unsigned char> samples(static_cast<size_t>(width) * components);
    std::string name = FileName(number, "ppm");
    FILE* file = OpenDecodedImageFile(name, rows.ReadRow(samples.data()) > 0, number);
    if (!file) {
        str->close();
        return;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    RgbRowConverter converter(*colorMap, static_cast<long long>(width) * height);
    std::vector<unsigned char> rgb(3 * static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        if (y > 0)
            rows.ReadRow(samples.data());
        converter.ConvertRow(samples.data(), width, rgb.data());
        std::fwrite(rgb.data(), 1, rgb.size(), file);
    }
    FinishImageFile(file, name);
    str->close();
}

FILE* ImageDumpDev::OpenDecodedImageFile(const std::string& name, bool hasData, int number) {
    if (hasData)
        return OpenImageFile(name);
    error(errSyntaxError, -1, "Image {0:d} has no data that can be decoded", number);
    ++imagesFailed;
    return nullptr;
}
