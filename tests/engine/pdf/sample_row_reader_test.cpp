#include "engine/pdf/sample_row_reader.h"

#include <Object.h>
#include <Stream.h>
#include <gtest/gtest.h>

#include <random>

namespace {

// Rows from the engine's own ImageStream, the behaviour the reader matches.
std::vector<std::vector<unsigned char>> EngineRows(const std::string& data, int width, int comps, int bits,
                                                   int height) {
    MemStream stream(data.data(), 0, static_cast<Goffset>(data.size()), Object(objNull));
    ImageStream rows(&stream, width, comps, bits);
    rows.reset();
    std::vector<std::vector<unsigned char>> out;
    for (int y = 0; y < height; ++y) {
        unsigned char* line = rows.getLine();
        out.emplace_back(line, line + width * comps);
    }
    return out;
}

std::vector<std::vector<unsigned char>> ReaderRows(const std::string& data, int width, int comps, int bits,
                                                   int height, int* delivered) {
    MemStream stream(data.data(), 0, static_cast<Goffset>(data.size()), Object(objNull));
    stream.reset();
    SampleRowReader reader(&stream, width, comps, bits);
    std::vector<std::vector<unsigned char>> out;
    *delivered = 0;
    for (int y = 0; y < height; ++y) {
        std::vector<unsigned char> row(static_cast<size_t>(width) * comps);
        *delivered += reader.ReadRow(row.data());
        out.push_back(row);
    }
    return out;
}

} // namespace

TEST(SampleRowReader, MatchesTheEngineForEveryDepthAndShortData) {
    std::mt19937 random(7);
    const int height = 5;
    for (int bits : {1, 2, 4, 8, 16})
        for (int comps : {1, 3, 4})
            for (int width : {1, 7, 13}) {
                const int rowBytes = (width * comps * bits + 7) / 8;
                std::string data(static_cast<size_t>(rowBytes * height), '\0');
                for (char& c : data)
                    c = static_cast<char>(random());
                for (size_t cut : {data.size(), data.size() - rowBytes / 2 - 1, size_t(0)}) {
                    std::string shortData = data.substr(0, cut);
                    int delivered = 0;
                    EXPECT_EQ(ReaderRows(shortData, width, comps, bits, height, &delivered),
                              EngineRows(shortData, width, comps, bits, height))
                        << "bits " << bits << " comps " << comps << " width " << width << " cut " << cut;
                    EXPECT_EQ(delivered, static_cast<int>(cut));
                }
            }
}

TEST(SampleRowReader, DepthsOfNineToFifteenBitsKeepTheirHighByte) {
    struct Case {
        int bits;
        std::string data;
        std::vector<unsigned char> expected;
    } cases[] = {
        // 12-bit gray 0x234 0x567 0x89A 0xBCD
        {12, std::string("\x23\x45\x67\x89\xAB\xCD", 6), {0x23, 0x56, 0x89, 0xBC}},
        // 9-bit 0x1FF 0x000 0x100 0x0FF, padded to whole bytes
        {9, std::string("\xFF\x80\x20\x0F\xF0", 5), {0xFF, 0x00, 0x80, 0x7F}},
        // 15-bit 0x7FFF 0x4000 0x0001 0x2AAA
        {15, std::string("\xFF\xFF\x00\x00\x00\x0A\xAA\xA0", 8), {0xFF, 0x80, 0x00, 0x55}},
    };
    for (const Case& c : cases) {
        int delivered = 0;
        auto rows = ReaderRows(c.data, 4, 1, c.bits, 1, &delivered);
        EXPECT_EQ(rows.front(), c.expected) << c.bits << " bits";
        EXPECT_EQ(delivered, static_cast<int>(c.data.size()));
    }
}
