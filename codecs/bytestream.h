#pragma once
// Byte streams: every image reader and writer reaches its bytes through
// CByteStream, over a stdio FILE (CFileStream) or a growable memory block
// (CMemStream).
#include <cstdint>
#include <cstdio>
#include <memory>

class CByteStream {
public:
    virtual ~CByteStream() = default;
    virtual bool Close() = 0;
    // Reads up to count items of size bytes; returns the whole items read.
    virtual unsigned Read(void* buffer, unsigned size, unsigned count) = 0;
    // Writes count items of size bytes; returns the items written.
    virtual unsigned Write(const void* buffer, unsigned size, unsigned count) = 0;
    // origin: 0 from the start, 1 from the current position, 2 from the end.
    virtual bool Seek(int32_t offset, int origin) = 0;
    virtual long Tell() = 0;
    virtual long Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual long Error() = 0;
    virtual bool PutC(unsigned char c) { return Write(&c, 1, 1) == 1; }
    // The next byte as 0..255, or -1.
    virtual long GetC() = 0;
    virtual char* GetS(char* string, int n) = 0;
    virtual long Scanf(const char* format, void* output) = 0;
};

class CFileStream : public CByteStream {
public:
    // The stream owns the handle only when none is given (see Open).
    explicit CFileStream(FILE* file = nullptr) : file_(file), closeFile_(file == nullptr) {}
    ~CFileStream() override;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    bool Open(const char* filename, const char* mode);

    bool Close() override;
    unsigned Read(void* buffer, unsigned size, unsigned count) override;
    unsigned Write(const void* buffer, unsigned size, unsigned count) override;
    bool Seek(int32_t offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    long Error() override;
    bool PutC(unsigned char c) override;
    long GetC() override;
    char* GetS(char* string, int n) override;
    long Scanf(const char* format, void* output) override;

private:
    FILE* file_;
    bool closeFile_;
    std::unique_ptr<char[]> buffer_; // of a file it opened
};

class CMemStream : public CByteStream {
public:
    // The stream owns the buffer only when none is given (see Open).
    explicit CMemStream(uint8_t* buffer = nullptr, int32_t size = 0);
    ~CMemStream() override;
    CMemStream(const CMemStream&) = delete;
    CMemStream& operator=(const CMemStream&) = delete;

    bool Open();
    // The buffer; with detach the stream stops owning it and the caller frees it.
    uint8_t* GetBuffer(bool detach = true);

    bool Close() override;
    unsigned Read(void* buffer, unsigned size, unsigned count) override;
    unsigned Write(const void* buffer, unsigned size, unsigned count) override;
    bool Seek(int32_t offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    long Error() override;
    bool PutC(unsigned char c) override;
    long GetC() override;
    char* GetS(char* string, int n) override;
    long Scanf(const char* format, void* output) override;

private:
    // Grows the capacity to hold needed bytes; false (and no buffer) on failure.
    bool Grow(int64_t needed);

    uint8_t* buffer_;
    int32_t size_;
    bool freeOnClose_;
    int32_t position_ = 0;
    int32_t edge_;
};
