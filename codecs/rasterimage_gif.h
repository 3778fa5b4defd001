#pragma once
// GIF89a writer: one image with a graphic control extension and LZW data;
// a true-colour image is written as a mosaic of 17 x 15 tiles, each with its
// own colour table.
#include "codecs/rasterimage.h"

#include <cstdint>
#include <vector>

class CRasterImageGIF : public CRasterImage {
public:
    CRasterImageGIF();
    bool Encode(CByteStream* stream);

private:
    bool EncodeTrueColour(CByteStream* stream);
    void WriteScreenDescriptor(CByteStream* stream, uint8_t packed);
    void WriteGraphicControl(CByteStream* stream);
    // The image descriptor, an optional local colour table, and the data.
    void WriteImage(CByteStream* stream, bool localTable);

    // ---- LZW compression of the pixels, top row first
    void Compress(int initBits, CByteStream* stream);
    int NextPixel();
    void Output(int code);
    void ClearTable();
    void EmitByte(uint8_t byte);
    void FlushBlock();

    CByteStream* out_ = nullptr;
    std::vector<int32_t> hashTable_;
    std::vector<uint16_t> codeTable_;
    uint32_t accumulator_ = 0;
    int bitCount_ = 0;
    int nBits_ = 0;
    int maxCode_ = 0;
    int freeEntry_ = 0;
    int initBits_ = 0;
    bool clearFlag_ = false;
    int clearCode_ = 0;
    int endCode_ = 0;
    uint8_t block_[256] = {};
    int blockFill_ = 0;
    int32_t cursorX_ = 0;
    int32_t cursorY_ = 0;
    int64_t pixelsLeft_ = 0;
    bool writeError_ = false; // the stream reported an error at the end of the data
};
