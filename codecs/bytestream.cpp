#include "codecs/bytestream.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---- CFileStream

namespace {

const size_t kFileBufferBytes = 256 * 1024;

} // namespace

CFileStream::~CFileStream() { CFileStream::Close(); }

bool CFileStream::Open(const char* filename, const char* mode) {
    if (file_)
        return false;
    file_ = std::fopen(filename, mode);
    closeFile_ = true;
    // The system's buffer of a few KB makes a system call of every row of
    // a large image, and of every seek.
    if (file_) {
        buffer_ = std::make_unique<char[]>(kFileBufferBytes);
        std::setvbuf(file_, buffer_.get(), _IOFBF, kFileBufferBytes);
    }
    return file_ != nullptr;
}

bool CFileStream::Close() {
    if (!file_ || !closeFile_)
        return true;
    bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed;
}

unsigned CFileStream::Read(void* buffer, unsigned size, unsigned count) {
    return file_ ? static_cast<unsigned>(std::fread(buffer, size, count, file_)) : 0;
}

unsigned CFileStream::Write(const void* buffer, unsigned size, unsigned count) {
    return file_ ? static_cast<unsigned>(std::fwrite(buffer, size, count, file_)) : 0;
}

bool CFileStream::Seek(int32_t offset, int origin) { return file_ && std::fseek(file_, offset, origin) == 0; }

long CFileStream::Tell() { return file_ ? std::ftell(file_) : 0; }

long CFileStream::Size() {
    if (!file_)
        return -1;
    long position = std::ftell(file_);
    std::fseek(file_, 0, SEEK_END);
    long size = std::ftell(file_);
    std::fseek(file_, position, SEEK_SET);
    return size;
}

bool CFileStream::Flush() { return file_ && std::fflush(file_) == 0; }

bool CFileStream::Eof() { return !file_ || std::feof(file_) != 0; }

long CFileStream::Error() { return file_ ? std::ferror(file_) : -1; }

bool CFileStream::PutC(unsigned char c) { return file_ && std::fputc(c, file_) == c; }

long CFileStream::GetC() { return file_ ? std::getc(file_) : -1; }

char* CFileStream::GetS(char* string, int n) { return file_ ? std::fgets(string, n, file_) : nullptr; }

long CFileStream::Scanf(const char* format, void* output) {
    return file_ ? std::fscanf(file_, format, output) : -1;
}

// ---- CMemStream

CMemStream::CMemStream(uint8_t* buffer, int32_t size)
    : buffer_(buffer), size_(size), freeOnClose_(buffer == nullptr), edge_(size) {}

CMemStream::~CMemStream() { CMemStream::Close(); }

bool CMemStream::Open() {
    if (buffer_)
        return false;
    position_ = size_ = edge_ = 0;
    buffer_ = static_cast<uint8_t*>(std::malloc(1));
    freeOnClose_ = true;
    return buffer_ != nullptr;
}

uint8_t* CMemStream::GetBuffer(bool detach) {
    if (detach)
        freeOnClose_ = false;
    return buffer_;
}

bool CMemStream::Close() {
    if (buffer_ && freeOnClose_) {
        std::free(buffer_);
        buffer_ = nullptr;
        size_ = 0;
    }
    return true;
}

bool CMemStream::Grow(int64_t needed) {
    if (needed <= edge_)
        return true;
    int64_t capacity = ((needed >> 16) + 1) << 16;
    uint8_t* grown = nullptr;
    if (capacity <= INT32_MAX) {
        if (freeOnClose_) {
            grown = static_cast<uint8_t*>(std::realloc(buffer_, capacity));
        } else if ((grown = static_cast<uint8_t*>(std::malloc(capacity)))) {
            // A caller's block is copied, never reallocated: it may not come from malloc.
            std::memcpy(grown, buffer_, static_cast<size_t>(size_));
        }
    }
    if (!grown) {
        if (freeOnClose_)
            std::free(buffer_);
        buffer_ = nullptr;
        size_ = position_ = edge_ = 0;
        return false;
    }
    buffer_ = grown;
    freeOnClose_ = true;
    edge_ = static_cast<int32_t>(capacity);
    return true;
}

unsigned CMemStream::Read(void* buffer, unsigned size, unsigned count) {
    if (!buffer || !buffer_ || position_ >= size_)
        return 0;
    uint64_t bytes = static_cast<uint64_t>(size) * count;
    if (bytes == 0)
        return 0;
    if (position_ + bytes > static_cast<uint64_t>(size_))
        bytes = static_cast<uint64_t>(size_ - position_);
    std::memcpy(buffer, buffer_ + position_, bytes);
    position_ += static_cast<int32_t>(bytes);
    return static_cast<unsigned>(bytes / size);
}

unsigned CMemStream::Write(const void* buffer, unsigned size, unsigned count) {
    if (!buffer_ || !buffer)
        return 0;
    uint64_t bytes = static_cast<uint64_t>(size) * count;
    if (bytes == 0 || !Grow(position_ + static_cast<int64_t>(bytes)))
        return 0;
    std::memcpy(buffer_ + position_, buffer, bytes);
    position_ += static_cast<int32_t>(bytes);
    if (position_ > size_)
        size_ = position_;
    return count;
}

bool CMemStream::Seek(int32_t offset, int origin) {
    if (!buffer_)
        return false;
    int64_t base;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = position_; break;
    case 2: base = size_; break;
    default: return false;
    }
    int64_t target = base + offset;
    position_ = static_cast<int32_t>(target < 0 ? 0 : target > INT32_MAX ? INT32_MAX : target);
    return true;
}

long CMemStream::Tell() { return buffer_ ? position_ : -1; }

long CMemStream::Size() { return buffer_ ? size_ : -1; }

bool CMemStream::Flush() { return buffer_ != nullptr; }

bool CMemStream::Eof() { return !buffer_ || position_ >= size_; }

long CMemStream::Error() {
    if (!buffer_)
        return -1;
    return position_ > size_ ? 1 : 0;
}

bool CMemStream::PutC(unsigned char c) {
    if (!buffer_ || !Grow(static_cast<int64_t>(position_) + 1))
        return false;
    buffer_[position_++] = c;
    if (position_ > size_)
        size_ = position_;
    return true;
}

long CMemStream::GetC() {
    if (Eof())
        return -1;
    return buffer_[position_++];
}

char* CMemStream::GetS(char* string, int n) {
    if (n <= 1) {
        if (n == 1)
            string[0] = '\0';
        return string;
    }
    int stored = 0;
    while (stored < n - 1) {
        long c = GetC();
        if (c < 0)
            return nullptr;
        string[stored++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    string[stored] = '\0';
    return string;
}

long CMemStream::Scanf(const char*, void*) { return 0; }
