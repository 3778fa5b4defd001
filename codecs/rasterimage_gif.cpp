#include "codecs/rasterimage_gif.h"

#include <algorithm>
#include <memory>

namespace {

const int kHashSize = 5003;
const int kMaxBits = 12;
const int kMaxCodes = 1 << kMaxBits;
const int kHashShift = 4;
const int kBlockLimit = 254;
const int kTileWidth = 17;
const int kTileHeight = 15;

void PutLe16(CByteStream* stream, uint32_t value) {
    stream->PutC(static_cast<uint8_t>(value));
    stream->PutC(static_cast<uint8_t>(value >> 8));
}

void WriteColourTable(CByteStream* stream, const CRasterImage& image) {
    for (uint32_t i = 0; i < image.GetNumColors(); ++i) {
        RGBQUAD c = image.GetPaletteColor(i);
        stream->PutC(c.rgbRed);
        stream->PutC(c.rgbGreen);
        stream->PutC(c.rgbBlue);
    }
}

} // namespace

CRasterImageGIF::CRasterImageGIF() : CRasterImage(RASTER_FORMAT_GIF), hashTable_(kHashSize), codeTable_(kHashSize) {
    info.dispmeth = 0;
}

bool CRasterImageGIF::Encode(CByteStream* stream) {
    if (EncodeSafeCheck(stream))
        return false;
    if (head.biBitCount > 8)
        return EncodeTrueColour(stream);
    const uint32_t bits = head.biBitCount;
    stream->Write("GIF89a", 1, 6);
    WriteScreenDescriptor(stream, static_cast<uint8_t>(0x80 | ((bits - 1) << 5) | (bits - 1)));
    WriteColourTable(stream, *this);
    WriteGraphicControl(stream);
    WriteImage(stream, false);
    stream->PutC(0x3B);
    return !writeError_;
}

void CRasterImageGIF::WriteScreenDescriptor(CByteStream* stream, uint8_t packed) {
    PutLe16(stream, GetWidth());
    PutLe16(stream, GetHeight());
    stream->PutC(packed);
    stream->PutC(0); // background colour index
    stream->PutC(0); // pixel aspect ratio
}

void CRasterImageGIF::WriteGraphicControl(CByteStream* stream) {
    const uint8_t flags = static_cast<uint8_t>((info.nBkgndIndex != -1 ? 1 : 0) | ((info.dispmeth & 7) << 2));
    const uint8_t extension[4] = {0x21, 0xF9, 4, flags};
    stream->Write(extension, 1, 4);
    PutLe16(stream, info.dwFrameDelay);
    stream->PutC(static_cast<uint8_t>(info.nBkgndIndex));
    stream->PutC(0);
}

void CRasterImageGIF::WriteImage(CByteStream* stream, bool localTable) {
    stream->PutC(0x2C);
    PutLe16(stream, static_cast<uint32_t>(info.xOffset));
    PutLe16(stream, static_cast<uint32_t>(info.yOffset));
    PutLe16(stream, GetWidth());
    PutLe16(stream, GetHeight());
    stream->PutC(localTable ? 0x87 : 0x00);
    if (localTable)
        WriteColourTable(stream, *this);
    const int minimumCodeSize = head.biBitCount == 1 ? 2 : head.biBitCount;
    stream->PutC(static_cast<uint8_t>(minimumCodeSize));
    Compress(minimumCodeSize + 1, stream);
    stream->PutC(0);
}

bool CRasterImageGIF::EncodeTrueColour(CByteStream* stream) {
    stream->Write("GIF89a", 1, 6);
    WriteScreenDescriptor(stream, 0x11);
    const int32_t width = head.biWidth, height = head.biHeight;
    std::unique_ptr<CRasterImageGIF> tile;
    bool failed = false;
    for (int32_t y = 0; y < height; y += kTileHeight) {
        for (int32_t x = 0; x < width; x += kTileWidth) {
            const int32_t w = std::min(kTileWidth, width - x), h = std::min(kTileHeight, height - y);
            if (!tile || tile->head.biWidth != w || tile->head.biHeight != h) {
                tile = std::make_unique<CRasterImageGIF>();
                tile->Create(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 8, RASTER_FORMAT_GIF);
            }
            if (info.nBkgndIndex >= 0) {
                tile->info.nBkgndIndex = 0;
                tile->SetPaletteColor(0, info.nBkgndColor);
            }
            for (int32_t j = 0; j < h; ++j)
                for (int32_t k = 0; k < w; ++k) {
                    RGBQUAD colour = GetPixelColor(x + k, height - y - h + j);
                    tile->SetPaletteColor(static_cast<uint32_t>(1 + k + kTileWidth * j), colour);
                    tile->SetPixelIndex(k, j, tile->GetNearestIndex(colour));
                }
            tile->info.xOffset = x;
            tile->info.yOffset = y;
            tile->WriteGraphicControl(stream);
            tile->WriteImage(stream, true);
            failed = failed || tile->writeError_;
        }
    }
    stream->PutC(0x3B);
    if (failed)
        SetLastError("Write Error in GIF file");
    return !failed;
}

int CRasterImageGIF::NextPixel() {
    if (pixelsLeft_ <= 0)
        return -1;
    --pixelsLeft_;
    int pixel = GetPixelIndex(cursorX_, cursorY_);
    if (++cursorX_ == head.biWidth) {
        cursorX_ = 0;
        --cursorY_;
    }
    return pixel;
}

void CRasterImageGIF::ClearTable() { std::fill(hashTable_.begin(), hashTable_.end(), -1); }

void CRasterImageGIF::Compress(int initBits, CByteStream* stream) {
    out_ = stream;
    cursorX_ = 0;
    cursorY_ = head.biHeight - 1;
    pixelsLeft_ = static_cast<int64_t>(head.biWidth) * head.biHeight;

    initBits_ = initBits;
    nBits_ = initBits;
    maxCode_ = (1 << nBits_) - 1;
    clearCode_ = 1 << (initBits - 1);
    endCode_ = clearCode_ + 1;
    freeEntry_ = clearCode_ + 2;
    accumulator_ = 0;
    bitCount_ = 0;
    clearFlag_ = false;
    blockFill_ = 0;

    int ent = NextPixel();
    ClearTable();
    Output(clearCode_);
    for (int c = NextPixel(); c >= 0; c = NextPixel()) {
        const int32_t key = (static_cast<int32_t>(c) << kMaxBits) + ent;
        int i = (c << kHashShift) ^ ent;
        if (hashTable_[i] == key) {
            ent = codeTable_[i];
            continue;
        }
        if (hashTable_[i] >= 0) {
            const int displacement = i == 0 ? 1 : kHashSize - i;
            bool found = false;
            do {
                if ((i -= displacement) < 0)
                    i += kHashSize;
                if (hashTable_[i] == key) {
                    ent = codeTable_[i];
                    found = true;
                    break;
                }
            } while (hashTable_[i] > 0);
            if (found)
                continue;
        }
        Output(ent);
        ent = c;
        if (freeEntry_ < kMaxCodes) {
            codeTable_[i] = static_cast<uint16_t>(freeEntry_++);
            hashTable_[i] = key;
        } else {
            ClearTable();
            freeEntry_ = clearCode_ + 2;
            clearFlag_ = true;
            Output(clearCode_);
        }
    }
    Output(ent);
    Output(endCode_);
}

void CRasterImageGIF::Output(int code) {
    accumulator_ &= (1u << bitCount_) - 1;
    if (bitCount_ > 0)
        accumulator_ |= static_cast<uint32_t>(code) << bitCount_;
    else
        accumulator_ = static_cast<uint32_t>(code);
    bitCount_ += nBits_;
    while (bitCount_ >= 8) {
        EmitByte(static_cast<uint8_t>(accumulator_ & 0xFF));
        accumulator_ >>= 8;
        bitCount_ -= 8;
    }
    if (freeEntry_ > maxCode_ || clearFlag_) {
        if (clearFlag_) {
            nBits_ = initBits_;
            maxCode_ = (1 << nBits_) - 1;
            clearFlag_ = false;
        } else {
            ++nBits_;
            maxCode_ = nBits_ == kMaxBits ? kMaxCodes : (1 << nBits_) - 1;
        }
    }
    if (code == endCode_) {
        while (bitCount_ > 0) {
            EmitByte(static_cast<uint8_t>(accumulator_ & 0xFF));
            accumulator_ >>= 8;
            bitCount_ -= 8;
        }
        FlushBlock();
        out_->Flush();
        if (out_->Error()) {
            SetLastError("Write Error in GIF file");
            writeError_ = true;
        }
    }
}

void CRasterImageGIF::EmitByte(uint8_t byte) {
    block_[blockFill_++] = byte;
    if (blockFill_ >= kBlockLimit)
        FlushBlock();
}

void CRasterImageGIF::FlushBlock() {
    if (blockFill_ == 0)
        return;
    out_->PutC(static_cast<uint8_t>(blockFill_));
    out_->Write(block_, 1, static_cast<unsigned>(blockFill_));
    blockFill_ = 0;
}
