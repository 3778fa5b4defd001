#include "engine/dump/image_dump_dev.h"

#include "engine/settings/convert_settings.h"
#include "engine/dump/kept_encoding.h"
#include "engine/dump/no_file_reasons.h"
#include "engine/pdf/form_images.h"
#include "engine/pdf/inflated_image.h"
#include "engine/pdf/rgb_row_converter.h"
#include "engine/pdf/sample_row_reader.h"
#include "engine/dump/jpeg_turn.h"
#include "engine/pdf/stored_image_data.h"
#include "engine/dump/sha256_digest.h"
#include "engine/dump/turned_pixels.h"
#include "engine/settings/text_format.h"
#include "platform/file_system.h"

#include <Error.h>
#include <Gfx.h>
#include <GfxState.h>
#include <Stream.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const int kCopyBlock = 64 * 1024;
// Widest RGB row the device holds in memory (a declared width beyond this is
// damaged data, not an image).
const std::int64_t kLargestRow = 256ll * 1024 * 1024;
// Once an image's data has ended, the rows it still declares are padded up to
// this many bytes, or as many as were decoded, whichever is more.
const std::int64_t kPaddingFloor = 64ll * 1024 * 1024;
// Tiling patterns drawn inside one another, deepest first.
const int kDeepestTiling = 8;
// Forms drawn inside one another that the engine draws, deepest first.
const int kDeepestEngineForm = 100;
// What the engine says of an image whose parameters it refuses, drawing nothing.
const char* const kRefusedImage = "Bad image parameters";
// What the report says of a stored JPEG written decoded because it could not
// be turned as stored.
const char kDecodedToTurn[] = "decoded to be turned: its JPEG data cannot be turned without loss";

// Reads up to count bytes and returns how many came; bytes past the end of
// the data read as 0xFF, the low byte of the engine's end-of-data value.
int ReadPadded(Stream* str, unsigned char* buffer, int count) {
    int got = std::max(str->doGetChars(count, buffer), 0);
    std::fill(buffer + got, buffer + count, 0xFF);
    return got;
}

enum class PnmKind { Pbm, Pgm, Ppm, Pam };

// The header of a raw PBM, PGM, PPM or RGB_ALPHA PAM file; spaces after the
// height bring it to minimumLength, so that a header rewritten with fewer
// rows keeps its place in the file.
std::string PnmHeader(PnmKind kind, int width, int height, size_t minimumLength = 0) {
    const char* const heads[] = {"P4\n%d %d", "P5\n%d %d", "P6\n%d %d", "P7\nWIDTH %d\nHEIGHT %d"};
    const char* const tails[] = {"\n", "\n255\n", "\n255\n", "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"};
    std::string header = FormatText(heads[static_cast<int>(kind)], width, height);
    const std::string tail = tails[static_cast<int>(kind)];
    if (header.size() + tail.size() < minimumLength)
        header.append(minimumLength - header.size() - tail.size(), ' ');
    return header + tail;
}

// Room enough for any header above.
const size_t kLongestHeader = 128;

// Bits per pixel of each kind of file.
int PixelBits(PnmKind kind) {
    const int bits[] = {1, 8, 24, 32};
    return bits[static_cast<int>(kind)];
}

// Bytes of a file's pixels once laid out as turn says.
std::int64_t ShownBytes(PnmKind kind, int width, int height, ImageTurn turn) {
    return RowBytes(turn.ShownWidth(width, height), PixelBits(kind)) * turn.ShownHeight(width, height);
}

// Reads the rows of an image whose data may end early, handing each to
// take, and returns how many it took. Rows past the end of the data are
// padded (the reader fills them) up to the declared height, but only up to
// a bound: a damaged image that declares billions of rows over a few bytes
// keeps the rows it has. readRow(row) fills one output row and answers
// whether the data still lasted.
template <typename ReadRow, typename Take>
int ReadRows(int height, std::int64_t rowBytes, ReadRow readRow, unsigned char* row, Take take) {
    std::int64_t decoded = 0, padded = 0;
    int rows = 0;
    for (; rows < height; ++rows) {
        if (readRow(row, rows))
            decoded += rowBytes;
        else if ((padded += rowBytes) > std::max(kPaddingFloor, decoded))
            break;
        take(row);
    }
    return rows;
}

// Writes the rows (see ReadRows) as a PNM file laid out as turn says. An
// upright image's rows go to the file as they come, and its header is
// rewritten when fewer rows came than it declares; a turned image is turned
// in memory once all its rows are there.
template <typename ReadRow>
void WriteRows(FILE* file, PnmKind kind, int width, int height, std::int64_t rowBytes, ReadRow readRow,
               unsigned char* row, ImageTurn turn) {
    if (turn.Upright()) {
        const std::string header = PnmHeader(kind, width, height);
        std::fwrite(header.data(), 1, header.size(), file);
        const int rows = ReadRows(height, rowBytes, readRow, row, [&](const unsigned char* taken) {
            std::fwrite(taken, 1, static_cast<size_t>(rowBytes), file);
        });
        if (rows < height) {
            const std::string shorter = PnmHeader(kind, width, rows, header.size());
            std::fseek(file, 0, SEEK_SET);
            std::fwrite(shorter.data(), 1, shorter.size(), file);
        }
        return;
    }
    std::vector<unsigned char> stored;
    const int rows = ReadRows(height, rowBytes, readRow, row,
                              [&](const unsigned char* taken) { stored.insert(stored.end(), taken, taken + rowBytes); });
    const std::vector<unsigned char> shown = TurnedRows(stored.data(), width, rows, PixelBits(kind), turn);
    const std::string header = PnmHeader(kind, turn.ShownWidth(width, rows), turn.ShownHeight(width, rows));
    std::fwrite(header.data(), 1, header.size(), file);
    std::fwrite(shown.data(), 1, shown.size(), file);
}

// The samples of a colour image's rows, read in order from its data
// (inflated in memory where it can be); the first row is read at once, so
// that an image without data is known before any file is made.
class ImageSamples {
public:
    ImageSamples(Stream* image, bool inlineImg, int width, int height, GfxImageColorMap& colorMap)
        : inflated_(image, inlineImg, StoredRowBytes(width, colorMap) * height),
          str_(Reset(inflated_.Source())),
          rows_(str_, width, colorMap.getNumPixelComps(), colorMap.getBits()),
          samples_(static_cast<size_t>(width) * colorMap.getNumPixelComps()),
          firstRow_(rows_.ReadRow(samples_.data())) {}
    ~ImageSamples() { str_->close(); }
    ImageSamples(const ImageSamples&) = delete;
    ImageSamples& operator=(const ImageSamples&) = delete;

    bool Started() const { return firstRow_ != 0; }
    // Reads row y (the first row is already read) and says whether the
    // stream gave all of it.
    bool Read(int y) { return (y == 0 ? firstRow_ : rows_.ReadRow(samples_.data())) == rows_.RowBytes(); }
    const unsigned char* Row() const { return samples_.data(); }

private:
    static Stream* Reset(Stream* str) {
        str->reset();
        return str;
    }
    static std::int64_t StoredRowBytes(int width, const GfxImageColorMap& colorMap) {
        return (static_cast<std::int64_t>(width) * colorMap.getNumPixelComps() * colorMap.getBits() + 7) / 8;
    }

    const InflatedImage inflated_;
    Stream* str_;
    SampleRowReader rows_;
    std::vector<unsigned char> samples_;
    int firstRow_;
};

// The samples of an image whose pixels take `channels` bytes once written,
// or none, with the reason, when such a row would be too wide (the data is
// then not even inflated) or no row of it can be decoded.
std::unique_ptr<ImageSamples> OpenSamples(Stream* image, bool inlineImg, int width, int height,
                                          GfxImageColorMap& colorMap, int channels, const char** refusal) {
    if (static_cast<std::int64_t>(width) * std::max(channels, colorMap.getNumPixelComps()) > kLargestRow) {
        *refusal = "is too wide";
        return nullptr;
    }
    auto samples = std::make_unique<ImageSamples>(image, inlineImg, width, height, colorMap);
    if (!samples->Started()) {
        *refusal = "has no data that can be decoded";
        return nullptr;
    }
    return samples;
}

} // namespace

ImageDumpDev::ImageDumpDev(const std::string& root, bool passJpegData, ImageHandoff* imageHandoff, int maskOutput)
    : rootPath(root), passJpeg(passJpegData), handoff(imageHandoff), masks(maskOutput) {}

int ImageDumpDev::TakeNumber(GfxState* state) {
    currentTurn = asShown ? PlacementOf(state).Turn() : ImageTurn{};
    currentTurnNote.clear();
    currentNumber = nextImageNumber;
    currentUse = {};
    currentHash.clear();
    currentNote.clear();
    currentKeptAs.clear();
    return nextImageNumber++;
}

void ImageDumpDev::Select(const ImageSelection& selection) {
    minimumWidth = selection.minimumWidth;
    minimumHeight = selection.minimumHeight;
    const int repeats = selection.skipRepeated;
    skipRepeated = repeats == REPEATS_SAME_OBJECT || repeats == REPEATS_SAME_PIXELS ? repeats : REPEATS_KEPT;
    std::string error;
    if (std::optional<ImageNameTemplate> parsed = ImageNameTemplate::Parse(selection.nameTemplate, &error))
        templateNames = std::make_unique<ImageNames>(*parsed, selection.directory, selection.title);
}

bool ImageDumpDev::BelowMinimum(Stream* str, int width, int height, std::int64_t rowBytes, bool inlineImg) {
    if (width >= minimumWidth && height >= minimumHeight)
        return false;
    ++imagesBelowMinimum;
    SettleWithout(kBelowMinimumSize);
    if (inlineImg) {
        str->reset();
        std::vector<unsigned char> block(kCopyBlock);
        for (std::int64_t left = rowBytes * height; left > 0;) {
            const int got = str->doGetChars(static_cast<int>(std::min<std::int64_t>(left, kCopyBlock)), block.data());
            if (got <= 0)
                break;
            left -= got;
        }
        str->close();
    }
    return true;
}

std::string ImageDumpDev::FileName(int number, const char* extension) {
    if (templateNames) {
        if (number != namedNumber) {
            namedStem = templateNames->Claim(currentPage, number, currentObject);
            namedNumber = number;
        }
        return namedStem + "." + extension;
    }
    return FormatText("%s-%03d.%s", rootPath.c_str(), number, extension);
}

bool ImageDumpDev::Created(platform::OutputFile& file, const std::string& name) {
    if (file.Stream()) {
        static thread_local std::vector<char> buffer(256 * 1024);
        std::setvbuf(file.Stream(), buffer.data(), _IOFBF, buffer.size());
        return true;
    }
    Fail(name, file);
    return false;
}

void ImageDumpDev::Finish(platform::OutputFile& file, const std::string& name) {
    if (file.Commit()) {
        Wrote(name);
        if (handoff)
            handoff->Written(name);
    } else {
        Fail(name, file);
    }
}

void ImageDumpDev::Fail(const std::string& name, const platform::OutputFile& file) {
    error(errIO, -1, "Couldn't write image file '{0:s}'", name.c_str());
    if (imagesFailed++ == 0)
        failureReason = file.ErrorText();
    SettleWithout("could not be written: " + file.ErrorText());
}

void ImageDumpDev::SettleWithout(const std::string& reason, const std::string& duplicateOf) {
    ImageFate fate;
    fate.number = currentNumber;
    fate.noFile = reason;
    fate.duplicateOf = duplicateOf;
    fate.pixelsHash = currentHash;
    fate.note = currentNote;
    Settled(fate);
}

void ImageDumpDev::Wrote(const std::string& name) {
    ++imagesWritten;
    if (std::get<0>(currentUse) > 0)
        objectFiles.emplace(currentUse, name);
    if (!currentHash.empty())
        hashFiles.emplace(currentHash, name);
    ImageFate fate;
    fate.number = currentNumber;
    fate.file = name;
    fate.pixelsHash = currentHash;
    fate.turnNote = currentTurnNote;
    fate.keptAs = currentKeptAs;
    fate.note = currentNote;
    Settled(fate);
}

bool ImageDumpDev::RepeatedObject(Object* ref, int width, int height) {
    if (skipRepeated == REPEATS_KEPT || !ref || !ref->isRef())
        return false;
    currentUse = {ref->getRefNum(), ref->getRefGen(), width, height};
    const auto first = objectFiles.find(currentUse);
    if (first == objectFiles.end())
        return false;
    ++imagesRepeated;
    SettleWithout(kRepeatedImage, first->second);
    return true;
}

bool ImageDumpDev::RepeatedContent(const std::string& content) {
    return skipRepeated == REPEATS_SAME_PIXELS && Repeated(Sha256Hex(content));
}

bool ImageDumpDev::RepeatedContent(FILE* file) {
    return skipRepeated == REPEATS_SAME_PIXELS && Repeated(Sha256OfStream(file));
}

bool ImageDumpDev::Repeated(std::string hash) {
    currentHash = std::move(hash);
    const auto first = hashFiles.find(currentHash);
    if (currentHash.empty() || first == hashFiles.end())
        return false;
    ++imagesRepeated;
    SettleWithout(kRepeatedImage, first->second);
    return true;
}

template <typename Write>
void ImageDumpDev::Emit(const std::string& name, std::int64_t size, Write write) {
    if (handoff && handoff->TakesContent(size)) {
        // Written in place into a buffer of the file's size and room for its
        // header (and the terminating byte the stream adds), so that the
        // bytes are neither moved as a growing stream reallocates nor copied.
        std::string content(static_cast<size_t>(size) + kLongestHeader + 1, '\0');
        if (FILE* memory = fmemopen(content.data(), content.size(), "w")) {
            write(memory);
            std::fseek(memory, 0, SEEK_END); // the furthest byte written
            const long length = std::ftell(memory);
            const bool written = !std::ferror(memory);
            const bool complete = std::fclose(memory) == 0 && written && length >= 0 &&
                                  static_cast<size_t>(length) < content.size();
            content.resize(complete ? static_cast<size_t>(length) : 0);
            if (complete) {
                if (RepeatedContent(content))
                    return;
                Wrote(name);
                handoff->Content(name, std::move(content));
                return;
            }
        }
    }
    platform::OutputFile file(name);
    if (Created(file, name)) {
        write(file.Stream());
        if (RepeatedContent(file.Stream()))
            file.Discard();
        else
            Finish(file, name);
    }
}

void ImageDumpDev::Refuse(int number, const char* reason) {
    error(errSyntaxError, -1, "Image {0:d} {1:s}", number, reason);
    ++imagesDamaged;
    SettleWithout(std::string("damaged: ") + reason);
}

void ImageDumpDev::EngineError(const char* message) {
    if (std::strcmp(message, kRefusedImage) == 0)
        ++imagesPassedOver;
}

void ImageDumpDev::beginForm(Ref id) {
    // The engine begins a form one level too deep but draws none of its content.
    if (++formDepth != kDeepestEngineForm + 1 || !currentXRef || id == Ref::INVALID())
        return;
    if (const int lost = FormImageCount(currentXRef, id); lost > 0) {
        error(errSyntaxError, -1,
              "Forms nested more than {0:d} deep are not drawn: {1:d} image(s) passed over", kDeepestEngineForm,
              lost);
        imagesPassedOver += lost;
    }
}

// The PDF library does not export the type information of its patterns, so
// the sanitizer's check of the pattern's dynamic type is left out here.
__attribute__((no_sanitize("vptr"))) bool
ImageDumpDev::tilingPatternFill(GfxState*, Gfx* gfx, Catalog*, GfxTilingPattern* pattern, const double* matrix, int,
                                int, int, int, double, double) {
    // A pattern drawn within itself goes no deeper than a few levels.
    if (tilingDepth < kDeepestTiling) {
        ++tilingDepth;
        gfx->drawForm(pattern->getContentStream(), pattern->getResDict(), matrix, pattern->getBBox());
        --tilingDepth;
    }
    return true;
}

void ImageDumpDev::drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert, bool,
                                 bool inlineImg) {
    int number = TakeNumber(state);
    if (BelowMinimum(str, width, height, (static_cast<std::int64_t>(width) + 7) / 8, inlineImg))
        return;
    currentObject = ref && ref->isRef() ? ref->getRefNum() : 0;
    if (RepeatedObject(ref, width, height))
        return;
    // The page paints the stencil's 0 bits, or its 1 bits when inverted.
    if (keepStored && WriteKept(KeptFor(str, width, height, nullptr, invert, inlineImg), number))
        return;
    if (passJpeg && str->getKind() == strDCT && !inlineImg && WriteStoredJpeg(str, number))
        return;
    // Painted pixels are white in the PBM: the stream's 0 bits by default,
    // its 1 bits (inverted here) when the Decode array is [1 0], so that two
    // masks painting the same pixels give the same file.
    const OneBitColours unchanged = {0x00, 0xFF}, inverted = {0xFF, 0x00};
    WritePbm(str, inlineImg, width, height, invert ? inverted : unchanged, number);
}

void ImageDumpDev::drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                             bool, const int* maskColors, bool inlineImg) {
    int number = TakeNumber(state);
    const int components = colorMap->getNumPixelComps();
    const int bits = colorMap->getBits();
    const std::int64_t rowBits = static_cast<std::int64_t>(width) * components * bits;
    if (BelowMinimum(str, width, height, (rowBits + 7) / 8, inlineImg))
        return;
    currentObject = ref && ref->isRef() ? ref->getRefNum() : 0;
    if (RepeatedObject(ref, width, height))
        return;
    ColourMemo* memo = colourMemos.For(state, *colorMap);
    const int maskOutput = maskColors ? MaskOutputFor(str, inlineImg) : masks;
    if (!maskColors || maskOutput == MASKS_NONE || components < 1) {
        WriteImage(str, width, height, colorMap, memo, inlineImg, number);
    } else if (maskOutput == MASKS_ALPHA) {
        WritePam(str, inlineImg, width, height, colorMap, memo,
                 [&](int, const unsigned char* samples, unsigned char* out) {
                     ColourKeyRow(samples, width, components, bits, maskColors, out);
                 },
                 nullptr, number);
    } else {
        // The mask is read from the image's data once more (the library
        // replays an inline image's data from where it began).
        const int repeated = imagesRepeated;
        WriteImage(str, width, height, colorMap, memo, inlineImg, number);
        if (imagesRepeated == repeated) // a repeat's mask is the first's
            WriteMaskFile(ImageMask::FromColourKey(str, width, height, components, bits, maskColors), number);
    }
}

void ImageDumpDev::drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                   GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                                   int maskHeight, bool maskInvert, bool) {
    DrawMasked(state, ref, str, width, height, colorMap, interpolate,
               [&] { return ImageMask::FromStencil(maskStr, maskWidth, maskHeight, maskInvert); }, nullptr);
}

void ImageDumpDev::drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                                       GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                                       int maskHeight, GfxImageColorMap* maskColorMap, bool) {
    DrawMasked(state, ref, str, width, height, colorMap, interpolate,
               [&] { return ImageMask::FromSoftMask(maskStr, maskWidth, maskHeight, *maskColorMap); },
               maskColorMap->getMatteColor());
}

void ImageDumpDev::DrawMasked(GfxState* state, Object* ref, Stream* str, int width, int height,
                              GfxImageColorMap* colorMap, bool interpolate,
                              const std::function<ImageMask()>& readMask, const GfxColor* matte) {
    if (masks == MASKS_NONE || colorMap->getNumPixelComps() < 1) {
        // The image alone, through the call every image takes.
        drawImage(state, ref, str, width, height, colorMap, interpolate, nullptr, false);
        return;
    }
    int number = TakeNumber(state);
    // Only image XObjects have masks of their own.
    const std::int64_t rowBits =
        static_cast<std::int64_t>(width) * colorMap->getNumPixelComps() * colorMap->getBits();
    if (BelowMinimum(str, width, height, (rowBits + 7) / 8, false))
        return;
    currentObject = ref && ref->isRef() ? ref->getRefNum() : 0;
    if (RepeatedObject(ref, width, height))
        return;
    ColourMemo* memo = colourMemos.For(state, *colorMap);
    if (MaskOutputFor(str, false) == MASKS_SEPARATE) {
        const int repeated = imagesRepeated;
        WriteImage(str, width, height, colorMap, memo, false, number);
        if (imagesRepeated == repeated) // a repeat's mask is the first's
            WriteMaskFile(readMask(), number);
        return;
    }
    const ImageMask mask = readMask();
    if (mask.Empty()) {
        // A mask without data hides nothing: the image is kept as it is.
        WriteImage(str, width, height, colorMap, memo, false, number);
        return;
    }
    WritePam(str, false, width, height, colorMap, memo,
             [&](int y, const unsigned char*, unsigned char* out) { mask.ResampledRow(y, width, height, out); },
             matte, number);
}

void ImageDumpDev::WriteImage(Stream* str, int width, int height, GfxImageColorMap* colorMap, ColourMemo* memo,
                              bool inlineImg, int number) {
    if (colorMap->getNumPixelComps() < 1) {
        // A colour space that gives no samples (a pattern, say) cannot colour an image.
        Refuse(number, "has a colour space without components");
        return;
    }
    if (keepStored && WriteKept(KeptFor(str, width, height, colorMap, false, inlineImg), number))
        return;
    if (passJpeg && str->getKind() == strDCT && colorMap->getNumPixelComps() == 3 && !inlineImg &&
        WriteStoredJpeg(str, number))
        return;
    OneBitColours colours;
    if (colorMap->getNumPixelComps() == 1 && colorMap->getBits() == 1 && BlackAndWhite(*colorMap, colours))
        WritePbm(str, inlineImg, width, height, colours, number);
    else
        WritePpm(str, inlineImg, width, height, colorMap, memo, number);
}

bool ImageDumpDev::BlackAndWhite(GfxImageColorMap& colorMap, OneBitColours& colours) {
    unsigned char rgb[2][3];
    for (unsigned char sample = 0; sample < 2; ++sample)
        RgbRowConverter::PixelToRgb(colorMap, &sample, rgb[sample]);
    const bool grayImage = colorMap.getColorSpace()->getMode() == csDeviceGray;
    int level[2];
    for (int sample = 0; sample < 2; ++sample) {
        const unsigned char* c = rgb[sample];
        // Black or white, give or take the rounding of a colour profile.
        const bool pure = std::abs(c[0] - c[1]) <= 2 && std::abs(c[1] - c[2]) <= 2 && (c[1] <= 2 || c[1] >= 253);
        if (!pure && !grayImage)
            return false; // colours the PBM cannot hold: written through the colour map
        level[sample] = c[1];
    }
    // Black where the page shows the darker colour (both black when the two
    // are the same dark colour, both white when the same light one).
    auto black = [&](int sample) {
        const int other = level[1 - sample];
        return level[sample] < other || (level[sample] == other && level[sample] < 128);
    };
    colours = {static_cast<unsigned char>(black(0) ? 0xFF : 0x00), static_cast<unsigned char>(black(1) ? 0xFF : 0x00)};
    return true;
}

int ImageDumpDev::MaskOutputFor(Stream* str, bool inlineImg) {
    if (masks != MASKS_ALPHA || !keepStored || StoredCodecOf(str) == StoredCodec::None ||
        (inlineImg && StoredCodecOf(str) != StoredCodec::Jpeg))
        return masks;
    currentNote = "its mask is written beside it: the alpha was not applied";
    return MASKS_SEPARATE;
}

KeptEncoding ImageDumpDev::KeptFor(Stream* str, int width, int height, GfxImageColorMap* colorMap, bool invert,
                                   bool inlineImg) {
    if (!colorMap)
        return KeepStoredEncoding(str, width, height, 1, {invert ? 1 : 0}, inlineImg);
    OneBitColours colours;
    const bool blackAndWhite =
        colorMap->getNumPixelComps() == 1 && colorMap->getBits() == 1 && BlackAndWhite(*colorMap, colours);
    const OneBitLook look{blackAndWhite ? (colours.zeros ? 0 : 1) : -1};
    return KeepStoredEncoding(str, width, height, colorMap->getNumPixelComps(), look, inlineImg);
}

bool ImageDumpDev::WriteKept(KeptEncoding kept, int number) {
    if (!kept.note.empty())
        currentNote = currentNote.empty() ? kept.note : kept.note + "; " + currentNote;
    if (kept.extension.empty())
        return false;
    if (RepeatedContent(kept.bytes))
        return true;
    const std::string name = FileName(number, kept.extension.c_str());
    currentKeptAs = kept.extension;
    platform::OutputFile file(name);
    if (Created(file, name)) {
        std::fwrite(kept.bytes.data(), 1, kept.bytes.size(), file.Stream());
        const int written = imagesWritten;
        Finish(file, name);
        imagesKeptStored += imagesWritten - written;
    }
    return true;
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
    if (!currentTurn.Upright())
        return WriteTurnedJpeg(stored, block, got, number);
    std::string name = FileName(number, "jpg");
    platform::OutputFile file(name);
    if (Created(file, name)) {
        for (; got > 0; got = stored->doGetChars(kCopyBlock, block.data()))
            std::fwrite(block.data(), 1, static_cast<size_t>(got), file.Stream());
        if (RepeatedContent(file.Stream()))
            file.Discard();
        else
            Finish(file, name);
    }
    stored->close();
    return true;
}

bool ImageDumpDev::WriteTurnedJpeg(Stream* stored, std::vector<unsigned char>& block, int got, int number) {
    std::string jpeg;
    for (; got > 0; got = stored->doGetChars(kCopyBlock, block.data()))
        jpeg.append(reinterpret_cast<const char*>(block.data()), static_cast<size_t>(got));
    stored->close();
    std::string turned;
    if (!TurnJpegLosslessly(jpeg, currentTurn, &turned)) {
        currentTurnNote = kDecodedToTurn;
        return false;
    }
    const std::string name = FileName(number, "jpg");
    platform::OutputFile file(name);
    if (Created(file, name)) {
        std::fwrite(turned.data(), 1, turned.size(), file.Stream());
        if (RepeatedContent(turned))
            file.Discard();
        else
            Finish(file, name);
    }
    return true;
}

void ImageDumpDev::WritePbm(Stream* image, bool inlineImg, int width, int height, OneBitColours colours, int number) {
    const std::int64_t rowBytes = (static_cast<std::int64_t>(width) + 7) / 8;
    if (rowBytes > kLargestRow) {
        Refuse(number, "is too wide");
        return;
    }
    const InflatedImage inflated(image, inlineImg, rowBytes * height);
    Stream* str = inflated.Source();
    str->reset();
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes));
    const int size = static_cast<int>(rowBytes);
    const int firstRow = ReadPadded(str, row.data(), size);
    if (firstRow == 0) {
        Refuse(number, "has no data that can be decoded");
        str->close();
        return;
    }
    auto readRow = [&](unsigned char* out, int y) {
        const bool lasted = (y == 0 ? firstRow : ReadPadded(str, out, size)) == size;
        for (int i = 0; i < size; ++i)
            out[i] = static_cast<unsigned char>((out[i] & colours.ones) | (~out[i] & colours.zeros));
        return lasted;
    };
    Emit(FileName(number, "pbm"), ShownBytes(PnmKind::Pbm, width, height, currentTurn), [&](FILE* file) {
        WriteRows(file, PnmKind::Pbm, width, height, rowBytes, readRow, row.data(), currentTurn);
    });
    str->close();
}

void ImageDumpDev::WritePpm(Stream* image, bool inlineImg, int width, int height, GfxImageColorMap* colorMap,
                            ColourMemo* memo, int number) {
    const char* refusal = nullptr;
    const std::unique_ptr<ImageSamples> samples = OpenSamples(image, inlineImg, width, height, *colorMap, 3, &refusal);
    if (!samples) {
        Refuse(number, refusal);
        return;
    }
    RgbRowConverter converter(*colorMap, static_cast<long long>(width) * height, memo);
    std::vector<unsigned char> rgb(3 * static_cast<size_t>(width));
    auto readRow = [&](unsigned char* out, int y) {
        const bool whole = samples->Read(y);
        converter.ConvertRow(samples->Row(), width, out);
        return whole;
    };
    const std::int64_t rgbRow = 3 * static_cast<std::int64_t>(width);
    Emit(FileName(number, "ppm"), ShownBytes(PnmKind::Ppm, width, height, currentTurn), [&](FILE* file) {
        WriteRows(file, PnmKind::Ppm, width, height, rgbRow, readRow, rgb.data(), currentTurn);
    });
}

void ImageDumpDev::WritePam(Stream* image, bool inlineImg, int width, int height, GfxImageColorMap* colorMap,
                            ColourMemo* memo, const AlphaRow& alpha, const GfxColor* matte, int number) {
    const char* refusal = nullptr;
    const std::unique_ptr<ImageSamples> samples = OpenSamples(image, inlineImg, width, height, *colorMap, 4, &refusal);
    if (!samples) {
        Refuse(number, refusal);
        return;
    }
    // The matte colour in RGB: a premultiplied pixel c was stored as
    // matte + alpha * (c - matte).
    int matteRgb[3] = {};
    if (matte) {
        GfxRGB rgb;
        colorMap->getColorSpace()->getRGB(matte, &rgb);
        const GfxColorComp parts[3] = {rgb.r, rgb.g, rgb.b};
        for (int c = 0; c < 3; ++c)
            matteRgb[c] = static_cast<int>(std::clamp(colToDbl(parts[c]) * 255 + 0.5, 0.0, 255.0));
    }
    RgbRowConverter converter(*colorMap, static_cast<long long>(width) * height, memo);
    std::vector<unsigned char> rgb(3 * static_cast<size_t>(width)), opacity(static_cast<size_t>(width));
    std::vector<unsigned char> rgba(4 * static_cast<size_t>(width));
    auto readRow = [&](unsigned char* out, int y) {
        const bool whole = samples->Read(y);
        converter.ConvertRow(samples->Row(), width, rgb.data());
        alpha(y, samples->Row(), opacity.data());
        for (int x = 0; x < width; ++x) {
            const int a = opacity[static_cast<size_t>(x)];
            for (int c = 0; c < 3; ++c) {
                int value = rgb[3 * static_cast<size_t>(x) + c];
                if (matte && a > 0)
                    value = std::clamp(static_cast<int>(std::lround(matteRgb[c] + (value - matteRgb[c]) * 255.0 / a)),
                                       0, 255);
                out[4 * x + c] = static_cast<unsigned char>(value);
            }
            out[4 * x + 3] = static_cast<unsigned char>(a);
        }
        return whole;
    };
    const std::int64_t rgbaRow = 4 * static_cast<std::int64_t>(width);
    Emit(FileName(number, "pam"), ShownBytes(PnmKind::Pam, width, height, currentTurn), [&](FILE* file) {
        WriteRows(file, PnmKind::Pam, width, height, rgbaRow, readRow, rgba.data(), currentTurn);
    });
}

void ImageDumpDev::WriteMaskFile(const ImageMask& mask, int number) {
    if (mask.Empty()) {
        Refuse(number, "has a mask without data that can be decoded");
        return;
    }
    const std::string name = FileName(number, "mask.pgm");
    platform::OutputFile file(name);
    if (!file.Stream()) {
        Fail(name, file);
        return;
    }
    const int width = mask.Width(), height = mask.Height();
    const std::string header =
        PnmHeader(PnmKind::Pgm, currentTurn.ShownWidth(width, height), currentTurn.ShownHeight(width, height));
    std::fwrite(header.data(), 1, header.size(), file.Stream());
    if (currentTurn.Upright()) {
        for (int y = 0; y < height; ++y)
            std::fwrite(mask.Row(y), 1, static_cast<size_t>(width), file.Stream());
    } else {
        const std::vector<unsigned char> shown = TurnedRows(mask.Row(0), width, height, 8, currentTurn);
        std::fwrite(shown.data(), 1, shown.size(), file.Stream());
    }
    if (!file.Commit())
        Fail(name, file);
}
