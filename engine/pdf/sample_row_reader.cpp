#include "engine/pdf/sample_row_reader.h"

#include <algorithm>
#include <cstring>

SampleRowReader::SampleRowReader(Stream* str, int width, int components, int bits)
    : str_(str), values_(width * components), bits_(bits),
      rowBytes_((static_cast<std::int64_t>(width) * components * bits + 7) / 8),
      packed_(static_cast<size_t>(rowBytes_)) {}

int SampleRowReader::ReadRow(unsigned char* samples) {
    const int size = static_cast<int>(rowBytes_);
    int got = std::max(str_->doGetChars(size, packed_.data()), 0);
    std::fill(packed_.begin() + got, packed_.end(), 0xFF);

    const unsigned char* p = packed_.data();
    if (bits_ == 8) {
        std::memcpy(samples, p, static_cast<size_t>(values_));
    } else if (bits_ == 16) {
        for (int i = 0; i < values_; ++i)
            samples[i] = p[2 * i];
    } else {
        // Depths of 9 to 15 bits span two or three bytes and, like 16-bit
        // samples, keep their eight most significant bits.
        const unsigned mask = (1u << bits_) - 1;
        const int dropped = std::max(bits_ - 8, 0);
        unsigned buffer = 0;
        int held = 0;
        for (int i = 0; i < values_; ++i) {
            while (held < bits_) {
                buffer = (buffer << 8) | *p++;
                held += 8;
            }
            samples[i] = static_cast<unsigned char>(((buffer >> (held - bits_)) & mask) >> dropped);
            held -= bits_;
        }
    }
    return got;
}
