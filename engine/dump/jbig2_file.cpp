#include "engine/dump/jbig2_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

const char kSignature[] = "\x97JB2\r\n\x1a\n";
const size_t kSignatureLength = 8;
const int kPageInformation = 48;
const int kEndOfPage = 49;
const int kEndOfFile = 51;

std::uint32_t Big32(const std::string& data, size_t at) {
    std::uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(data[at + i]);
    return value;
}

void PutBig32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// What the walk over a run of segments found.
struct Segments {
    size_t end = 0;               // where the segments before an end-of-file segment end
    std::uint32_t lastNumber = 0; // the highest segment number
    bool endOfPage = false;
    std::uint32_t page = 1;       // the page the page information segment names
};

// Walks the segment headers from at; false when they cannot be walked.
bool Walk(const std::string& data, size_t at, Segments& found, std::string* refusal) {
    while (at < data.size()) {
        const size_t start = at;
        auto need = [&](size_t bytes) { return at + bytes <= data.size(); };
        if (!need(6)) {
            *refusal = "its JBIG2 segments are cut short";
            return false;
        }
        const std::uint32_t number = Big32(data, at);
        const unsigned char flags = static_cast<unsigned char>(data[at + 4]);
        const int type = flags & 0x3F;
        at += 5;
        std::uint32_t referred = static_cast<unsigned char>(data[at]) >> 5;
        if (referred == 7) { // the long form: a count and its retain bits
            if (!need(4)) {
                *refusal = "its JBIG2 segments are cut short";
                return false;
            }
            referred = Big32(data, at) & 0x1FFFFFFF;
            at += 4 + (referred + 8) / 8;
        } else {
            at += 1;
        }
        const size_t numberSize = number <= 256 ? 1 : number <= 65536 ? 2 : 4;
        at += referred * numberSize;
        const size_t pageSize = (flags & 0x40) ? 4 : 1;
        if (!need(pageSize + 4)) {
            *refusal = "its JBIG2 segments are cut short";
            return false;
        }
        std::uint32_t page = 0;
        for (size_t i = 0; i < pageSize; ++i)
            page = (page << 8) | static_cast<unsigned char>(data[at + i]);
        at += pageSize;
        const std::uint32_t length = Big32(data, at);
        at += 4;
        if (type == kEndOfFile) {
            found.end = start;
            return true;
        }
        if (length == 0xFFFFFFFF) {
            *refusal = "a JBIG2 segment does not say its length";
            return false;
        }
        if (!need(length)) {
            *refusal = "its JBIG2 segments are cut short";
            return false;
        }
        at += length;
        found.lastNumber = std::max(found.lastNumber, number);
        found.endOfPage = found.endOfPage || type == kEndOfPage;
        if (type == kPageInformation)
            found.page = page;
        found.end = at;
    }
    return true;
}

// Where the segments of data start: after a file header, when the document
// stores one; npos for a file in random-access organisation.
size_t SegmentsStart(const std::string& data) {
    if (data.size() < kSignatureLength + 1 || data.compare(0, kSignatureLength, kSignature, kSignatureLength) != 0)
        return 0;
    const unsigned char flags = static_cast<unsigned char>(data[kSignatureLength]);
    if (!(flags & 0x01))
        return std::string::npos;
    return kSignatureLength + 1 + ((flags & 0x02) ? 0 : 4); // the page count, when known
}

// A segment header without data and without referred segments.
void PutEmptySegment(std::string& out, std::uint32_t number, int type, std::uint32_t page) {
    PutBig32(out, number);
    const bool widePage = page > 0xFF;
    out += static_cast<char>(type | (widePage ? 0x40 : 0));
    out += '\0'; // no referred segments
    if (widePage)
        PutBig32(out, page);
    else
        out += static_cast<char>(page);
    PutBig32(out, 0);
}

} // namespace

std::string Jbig2File(const std::string& globals, const std::string& page, std::string* refusal) {
    const size_t start = SegmentsStart(page);
    if (start == std::string::npos) {
        *refusal = "its JBIG2 data is a file in random-access organisation";
        return {};
    }
    Segments global, own;
    if (!Walk(globals, 0, global, refusal) || !Walk(page, start, own, refusal))
        return {};
    if (own.end == start) {
        *refusal = "its JBIG2 data holds no segment";
        return {};
    }
    std::string file(kSignature, kSignatureLength);
    file += '\x01'; // sequential organisation, the number of pages known
    PutBig32(file, 1);
    file.append(globals, 0, global.end);
    file.append(page, start, own.end - start);
    std::uint32_t next = std::max(global.lastNumber, own.lastNumber) + 1;
    if (!own.endOfPage)
        PutEmptySegment(file, next++, kEndOfPage, own.page);
    PutEmptySegment(file, next, kEndOfFile, 0);
    return file;
}
