#include "codecs/png_file_writer.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr size_t kIdatChunkBytes = 1 << 20;
enum : uint8_t { kFilterNone = 0, kFilterPaeth = 4 };

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 24));
    out.push_back(static_cast<uint8_t>(value >> 16));
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

bool WriteAll(CByteStream* stream, const uint8_t* data, size_t size) {
    return size == 0 || stream->Write(data, 1, static_cast<unsigned>(size)) == size;
}

// Length, type, data and the CRC over type and data.
bool WriteChunk(CByteStream* stream, const char* type, const uint8_t* data, size_t size) {
    std::vector<uint8_t> head;
    PutBigEndian32(head, static_cast<uint32_t>(size));
    head.insert(head.end(), type, type + 4);
    uint32_t crc = libdeflate_crc32(0, type, 4);
    if (size > 0) // the CRC of no data would start the sum again
        crc = libdeflate_crc32(crc, data, size);
    std::vector<uint8_t> tail;
    PutBigEndian32(tail, crc);
    return WriteAll(stream, head.data(), head.size()) && WriteAll(stream, data, size) &&
           WriteAll(stream, tail.data(), tail.size());
}

bool WriteChunk(CByteStream* stream, const char* type, const std::vector<uint8_t>& data) {
    return WriteChunk(stream, type, data.data(), data.size());
}

uint8_t Paeth(int left, int up, int upLeft) {
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left), toUp = std::abs(estimate - up), toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return static_cast<uint8_t>(left);
    return static_cast<uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

// The usual filter choice heuristic: bytes read as signed, smallest sum wins.
uint64_t SignedSum(const uint8_t* bytes, size_t size) {
    uint64_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += bytes[i] < 128 ? bytes[i] : 256 - bytes[i];
    return sum;
}

// One compressor per thread and level, kept: making one costs more than
// compressing a small image.
libdeflate_compressor* Compressor(int level) {
    struct Cached {
        int level = -1;
        libdeflate_compressor* compressor = nullptr;
        ~Cached() { libdeflate_free_compressor(compressor); }
    };
    thread_local Cached cached;
    if (cached.level != level) {
        libdeflate_free_compressor(cached.compressor);
        cached.compressor = libdeflate_alloc_compressor(level);
        cached.level = cached.compressor ? level : -1;
    }
    return cached.compressor;
}

} // namespace

void PngFlatness::AddRow(const uint8_t* row, uint32_t width, uint32_t pixelBytes) {
    for (uint32_t x = 1; x < width; ++x, ++total_)
        same_ += std::memcmp(row + x * pixelBytes, row + (x - 1) * pixelBytes, pixelBytes) == 0;
}

// libdeflate levels, chosen by measurement on the images of real documents
// against the zlib settings of the row stream: level 2 unfiltered and level 4
// with Paeth give files about 7 % smaller in the time of zlib's. Below 64 KB
// the lowest levels' block choices can double a small file, and compressing
// costs nothing: level 6.
int PngDeflateLevel(bool flat, uint64_t filteredBytes) {
    if (filteredBytes < (64u << 10))
        return 6;
    return flat ? 2 : 4;
}

// Fresh pages cost a fault each on first touch, more than compressing them at
// a low level; the buffers of images up to this size are kept for the next
// image of the thread.
constexpr size_t kKeptBufferBytes = 32u << 20;

// Left uninitialised: only the pages written are touched (a compressed copy
// takes a fraction of its bound).
uint8_t* PngFileWriter::ThreadBuffer::Take(size_t size) {
    if (size > capacity) {
        bytes.reset(); // freed first, not copied: whatever it held is done with
        // Grown at least twofold within the kept size: images of a document
        // grow a little at a time, and each new buffer's pages fault anew.
        const size_t grown = std::max(size, std::min(2 * capacity, kKeptBufferBytes));
        bytes.reset(new uint8_t[grown]);
        capacity = grown;
    }
    return bytes.get();
}

void PngFileWriter::ThreadBuffer::Release() {
    if (capacity > kKeptBufferBytes) {
        bytes.reset();
        capacity = 0;
    }
}

PngFileWriter::ThreadBuffer& PngFileWriter::FilteredBuffer() {
    thread_local ThreadBuffer buffer;
    return buffer;
}

PngFileWriter::ThreadBuffer& PngFileWriter::CompressedBuffer() {
    thread_local ThreadBuffer buffer;
    return buffer;
}

PngFileWriter::PngFileWriter(const PngFileLayout& layout, bool tryPaeth, int level)
    : layout_(layout), tryPaeth_(tryPaeth), level_(level) {
    const size_t channels = layout.colourType == 6 ? 4 : layout.colourType == 2 ? 3 : 1;
    const size_t bitsPerPixel = channels * layout.bitDepth;
    rowBytes_ = (static_cast<size_t>(layout.width) * bitsPerPixel + 7) / 8;
    pixelBytes_ = std::max<size_t>(1, bitsPerPixel / 8);
    filteredSize_ = (rowBytes_ + 1) * layout.height;
    filtered_ = FilteredBuffer().Take(filteredSize_);
    if (tryPaeth) {
        previous_.assign(rowBytes_, 0);
        paeth_.resize(rowBytes_);
    }
}

uint8_t* PngFileWriter::NextRow() { return &filtered_[rowsAdded_ * (rowBytes_ + 1) + 1]; }

void PngFileWriter::EndRow() {
    uint8_t* row = NextRow();
    row[-1] = kFilterNone;
    ++rowsAdded_;
    if (!tryPaeth_)
        return;
    for (size_t i = 0; i < rowBytes_; ++i) {
        const int left = i >= pixelBytes_ ? row[i - pixelBytes_] : 0;
        const int upLeft = i >= pixelBytes_ ? previous_[i - pixelBytes_] : 0;
        paeth_[i] = static_cast<uint8_t>(row[i] - Paeth(left, previous_[i], upLeft));
    }
    std::memcpy(previous_.data(), row, rowBytes_);
    if (SignedSum(paeth_.data(), rowBytes_) < SignedSum(row, rowBytes_)) {
        row[-1] = kFilterPaeth;
        std::memcpy(row, paeth_.data(), rowBytes_);
    }
}

bool PngFileWriter::Write(CByteStream* stream, std::string* error) {
    libdeflate_compressor* compressor = Compressor(level_);
    // A compressor of a level the library knows is refused only for want of
    // memory, which ends the run like any other failed allocation instead of
    // passing for a fault of this image.
    if (!compressor && level_ >= 0 && level_ <= 12)
        throw std::bad_alloc();
    if (!compressor || rowsAdded_ != layout_.height) {
        *error = "Compression Error";
        return false;
    }
    const size_t bound = libdeflate_zlib_compress_bound(compressor, filteredSize_);
    uint8_t* compressed = CompressedBuffer().Take(bound);
    const size_t compressedSize = libdeflate_zlib_compress(compressor, filtered_, filteredSize_, compressed, bound);
    FilteredBuffer().Release(); // the compressed data is all that is needed from here on
    if (compressedSize == 0)
        *error = "Compression Error";
    const bool written = compressedSize > 0 && WriteFile(stream, compressed, compressedSize);
    if (compressedSize > 0 && !written)
        *error = "Write Error"; // as the library's row stream says it
    CompressedBuffer().Release();
    return written;
}

bool PngFileWriter::WriteFile(CByteStream* stream, const uint8_t* compressed, size_t compressedSize) {

    std::vector<uint8_t> header;
    PutBigEndian32(header, layout_.width);
    PutBigEndian32(header, layout_.height);
    header.insert(header.end(), {layout_.bitDepth, layout_.colourType, 0, 0, 0});
    // Background: palette entry 0, black for grey, white for colour.
    std::vector<uint8_t> background;
    if (layout_.colourType == 3)
        background = {0};
    else if (layout_.colourType == 0)
        background = {0, 0};
    else
        background = {0, 255, 0, 255, 0, 255};
    std::vector<uint8_t> physical;
    PutBigEndian32(physical, layout_.xPixelsPerMetre);
    PutBigEndian32(physical, layout_.yPixelsPerMetre);
    physical.push_back(1); // unit: the metre

    bool written = WriteAll(stream, kSignature, sizeof kSignature) && WriteChunk(stream, "IHDR", header);
    if (written && layout_.colourType == 3)
        written = WriteChunk(stream, "PLTE", layout_.paletteRgb);
    written = written && WriteChunk(stream, "bKGD", background) && WriteChunk(stream, "pHYs", physical);
    for (size_t offset = 0; written && offset < compressedSize; offset += kIdatChunkBytes)
        written = WriteChunk(stream, "IDAT", compressed + offset, std::min(kIdatChunkBytes, compressedSize - offset));
    return written && WriteChunk(stream, "IEND", nullptr, 0) && stream->Flush();
}
