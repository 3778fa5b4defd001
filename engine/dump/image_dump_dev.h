#pragma once
// The output device that writes every image the engine meets to a file of its
// own instead of drawing it: stored JPEG data copied as .jpg, black-and-white
// one-bit images and stencil masks as PBM (black where the page shows the
// darker colour; a stencil's painted pixels white), everything else as 8-bit
// RGB PPM through the image's colour map. An image drawn through a mask (a
// soft mask, a stencil /Mask, a colour key) is written as the masks setting
// says: as a PAM file with the mask as its alpha channel, or as the image
// file with the mask beside it as "-NNN.mask.pgm" at its own size, or as the
// image alone. Files are named rootPath + "-NNN" + extension, numbered from 000 in the order images come,
// and appear under their names only once complete. With a handoff, each
// finished image is handed on too, and a PBM or PPM image the handoff takes
// in memory is not written at all. A device that keeps stored encodings
// writes images stored as JPEG, JPEG 2000, CCITT fax or JBIG2 data as the
// files those formats make (see kept_encoding.h), their masks beside them.
#include "engine/pdf/colour_memo.h"
#include "engine/settings/convert_settings.h"
#include "engine/dump/image_handoff.h"
#include "engine/dump/image_mask.h"
#include "engine/dump/image_names.h"
#include "engine/pdf/pdf_engine.h"
#include "engine/pdf/image_placement.h"
#include "engine/dump/kept_encoding.h"
#include "platform/output_file.h"

#include <OutputDev.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

// Which images get a file and under what name, beyond the defaults.
struct ImageSelection {
    int minimumWidth = 0;  // images narrower or lower get no file; their numbers stay taken
    int minimumHeight = 0;
    std::string nameTemplate; // empty: rootPath + "-NNN"; else see ImageNameTemplate
    std::string directory;    // where templated names go, ending with '/'
    std::string title;        // {title} in the template
    int skipRepeated = 0;     // a RepeatedImages: which repeats get no second file
};

// What became of one numbered image: the file written, or why none was.
struct ImageFate {
    int number = 0;
    std::string file;        // as written by the device (before any conversion)
    std::string noFile;      // why no file was written
    std::string duplicateOf; // for a repeat: the file of the first
    std::string pixelsHash;  // SHA-256 of what was written, when repeats are compared by content
    std::string turnNote;    // how the file was turned when it could not be turned as stored
    std::string keptAs;      // the extension of a file in the image's stored encoding
    std::string note;        // of an image that keeps its stored encoding, or was decoded after all
};

class ImageDumpDev : public OutputDev, private EngineErrorListener {
public:
    // masks: a MaskOutput; the caller settles whether alpha can be kept.
    ImageDumpDev(const std::string& rootPath, bool passJpeg, ImageHandoff* handoff = nullptr,
                 int masks = MASKS_NONE);

    bool isOk() { return isValid; }
    // The next image takes this number (a device that renders some pages of
    // a document only).
    void StartNumbersAt(int number) { nextImageNumber = number; }
    // Leaves out small images and names the files from a template. A
    // template that cannot be parsed leaves the default names.
    void Select(const ImageSelection& selection);
    // Writes each file turned and mirrored as the page shows the image (see
    // ImagePlacement::Turn), its alpha channel and mask file with it; stored
    // JPEG data is turned without loss where its size allows, and decoded
    // otherwise.
    void WriteAsShown(bool shown) { asShown = shown; }
    // Writes images stored in an image format of their own as that format's
    // files, undecoded.
    void KeepStoredEncodings(bool keep) { keepStored = keep; }
    // Images written so far (or handed on in memory); images that could not
    // be written (file not created, write failed), with the system's reason
    // for the first; and images passed over because their data in the
    // document is damaged (nothing can be decoded, a width beyond any image,
    // or a colour space that gives no samples).
    int ImagesWritten() const { return imagesWritten; }
    int ImagesFailed() const { return imagesFailed; }
    const std::string& FailureReason() const { return failureReason; }
    int ImagesDamaged() const { return imagesDamaged; }
    // Images of damaged documents that the engine passes over itself, never
    // handing them to the device, so that they take no number: those whose
    // parameters it refuses (a colour space it cannot build, bits per
    // component of 0), as it tells its error channel, and those of a form
    // nested deeper than it draws, which it passes over without a word.
    int ImagesPassedOver() const { return imagesPassedOver; }
    // Images left without a file for being smaller than the minimum size.
    int ImagesBelowMinimum() const { return imagesBelowMinimum; }
    // Images left without a file for repeating one written before.
    int ImagesRepeated() const { return imagesRepeated; }
    // Images written in their stored encoding.
    int ImagesKeptStored() const { return imagesKeptStored; }

    void startPage(int pageNum, GfxState*, XRef* xref) override {
        currentPage = pageNum;
        currentXRef = xref;
    }
    void beginForm(Ref id) override;
    void endForm(Ref) override { --formDepth; }

    bool upsideDown() override { return true; }
    bool useDrawChar() override { return false; }
    bool interpretType3Chars() override { return false; }
    // The engine hands images only to devices that want non-text content, so
    // this says yes; vector graphics are ignored by the base class's empty
    // drawing calls and shadings are claimed below and skipped, so the engine
    // spends no time rendering them. A tiling pattern's cell is drawn once
    // per fill, so each image in it is written once per use, not once per tile.
    bool needNonText() override { return true; }
    bool useTilingPatternFill() override { return true; }
    bool tilingPatternFill(GfxState* state, Gfx* gfx, Catalog* catalog, GfxTilingPattern* pattern,
                           const double* matrix, int x0, int y0, int x1, int y1, double xStep,
                           double yStep) override;
    bool useShadedFills(int) override { return true; }
    bool functionShadedFill(GfxState*, GfxFunctionShading*) override { return true; }
    bool axialShadedFill(GfxState*, GfxAxialShading*, double, double) override { return true; }
    bool radialShadedFill(GfxState*, GfxRadialShading*, double, double) override { return true; }
    bool gouraudTriangleShadedFill(GfxState*, GfxGouraudTriangleShading*) override { return true; }
    bool patchMeshShadedFill(GfxState*, GfxPatchMeshShading*) override { return true; }

    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                       bool interpolate, bool inlineImg) override;
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                   GfxImageColorMap* colorMap, bool interpolate, const int* maskColors,
                   bool inlineImg) override;
    void drawMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                         GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                         int maskHeight, bool maskInvert, bool maskInterpolate) override;
    void drawSoftMaskedImage(GfxState* state, Object* ref, Stream* str, int width, int height,
                             GfxImageColorMap* colorMap, bool interpolate, Stream* maskStr, int maskWidth,
                             int maskHeight, GfxImageColorMap* maskColorMap, bool maskInterpolate) override;

protected:
    // Told once for each numbered image, when its fate is settled.
    virtual void Settled(const ImageFate&) {}
    // What the image becomes when stored encodings are kept; colorMap is
    // null for a stencil mask, which paints its 1 bits when inverted.
    static KeptEncoding KeptFor(Stream* str, int width, int height, GfxImageColorMap* colorMap, bool invert,
                                bool inlineImg);

private:
    // Counts an image the engine refused to draw for its parameters.
    void EngineError(const char* message) override;
    // Takes the next number for the image the state places, and settles how
    // its file is turned.
    int TakeNumber(GfxState* state);
    // Whether the image is a use of an object already written at this size;
    // remembers it as the image being written otherwise.
    bool RepeatedObject(Object* ref, int width, int height);
    // Whether the bytes about to be written (the content, or what the file
    // holds) repeat an image written before; false, without looking, unless
    // repeats are compared by content.
    bool RepeatedContent(const std::string& content);
    bool RepeatedContent(FILE* file);
    bool Repeated(std::string hash);
    // Tells the fate of an image left without a file.
    void SettleWithout(const std::string& reason, const std::string& duplicateOf = {});
    // Counts a file complete under its name.
    void Wrote(const std::string& name);
    // Whether the image is left out for its size; an inline one is read
    // through all the same, because the engine finds the content that
    // follows by where its data ended.
    bool BelowMinimum(Stream* str, int width, int height, std::int64_t rowBytes, bool inlineImg);
    // The name of image number's file with that extension; the mask file
    // beside an image shares the image's name (a template claims it once).
    std::string FileName(int number, const char* extension);
    // True when the file was created; otherwise the image counts as failed.
    bool Created(platform::OutputFile& file, const std::string& name);
    // Renames the complete file into place; a failed write leaves nothing.
    void Finish(platform::OutputFile& file, const std::string& name);
    // Counts an image that could not be written, for the system's reason.
    void Fail(const std::string& name, const platform::OutputFile& file);
    // Counts an image whose data yields no file, with the reason on the error channel.
    void Refuse(int number, const char* reason);
    // Writes a PBM or PPM image of the given size with write(FILE*), to its
    // file or, when the handoff takes it, into memory for the handoff.
    template <typename Write>
    void Emit(const std::string& name, std::int64_t size, Write write);

    // Writes an image as if it had no mask: stored JPEG data, PBM or PPM.
    // memo: colours converted for earlier images that convert alike (see
    // ColourMemos), or null; so for the writers below.
    void WriteImage(Stream* str, int width, int height, GfxImageColorMap* colorMap, ColourMemo* memo, bool inlineImg,
                    int number);
    // Fills one row of opacity for an image row: y, the row's samples, out.
    using AlphaRow = std::function<void(int, const unsigned char*, unsigned char*)>;
    // Writes an image and its opacity as an RGB_ALPHA PAM file; matte, when
    // given, is the colour (in the image's colour space) the image was
    // premultiplied with, taken out again.
    void WritePam(Stream* image, bool inlineImg, int width, int height, GfxImageColorMap* colorMap,
                  ColourMemo* memo, const AlphaRow& alpha, const GfxColor* matte, int number);
    // Writes the mask beside image number as "-NNN.mask.pgm"; it is part of
    // that image, so it counts only when it fails.
    void WriteMaskFile(const ImageMask& mask, int number);
    // What drawMaskedImage and drawSoftMaskedImage share, with the mask
    // still to be read.
    void DrawMasked(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                    bool interpolate, const std::function<ImageMask()>& readMask, const GfxColor* matte);
    // Writes the image in its stored encoding; false (nothing written) when
    // it is decoded instead.
    bool WriteKept(KeptEncoding kept, int number);
    // The masks choice for this image: one that keeps its stored encoding
    // has no alpha channel, so its mask goes beside it.
    int MaskOutputFor(Stream* str, bool inlineImg);
    // Copies the stored JPEG data, turned without loss when the image is
    // turned; false (nothing written) when the stored data does not start
    // like a JPEG file or cannot be turned so.
    bool WriteStoredJpeg(Stream* str, int number);
    // Writes the JPEG data held in memory, turned as the image is.
    bool WriteTurnedJpeg(Stream* stored, std::vector<unsigned char>& block, int got, int number);
    // What a PBM bit becomes for each value of the stream's bit: 0xFF where
    // that value is written black (1), 0x00 where white.
    struct OneBitColours {
        unsigned char zeros;
        unsigned char ones;
    };
    // For a one-bit image whose two colours are black and white (or any two
    // grays): the PBM bits that show the darker one black. False when the
    // colours need the colour map (a coloured palette, a Separation...).
    static bool BlackAndWhite(GfxImageColorMap& colorMap, OneBitColours& colours);
    // The rows come from the image's data inflated in memory when it is an
    // XObject stored with Flate alone, else from the library's stream.
    void WritePbm(Stream* image, bool inlineImg, int width, int height, OneBitColours colours, int number);
    void WritePpm(Stream* image, bool inlineImg, int width, int height, GfxImageColorMap* colorMap,
                  ColourMemo* memo, int number);

    std::string rootPath;
    bool passJpeg;
    ImageHandoff* handoff;
    int masks;
    bool keepStored = false;
    int imagesKeptStored = 0;
    std::string currentNote; // the note of the image being written
    std::string currentKeptAs;
    int nextImageNumber = 0;
    bool isValid = true;
    int imagesWritten = 0;
    int imagesFailed = 0;
    std::string failureReason;
    int imagesDamaged = 0;
    int imagesPassedOver = 0;
    int tilingDepth = 0; // tiling fills being drawn, one inside another
    int formDepth = 0;   // forms being drawn, one inside another
    XRef* currentXRef = nullptr;
    int minimumWidth = 0;
    int minimumHeight = 0;
    int imagesBelowMinimum = 0;
    std::unique_ptr<ImageNames> templateNames; // null: the default names
    int namedNumber = -1;   // the image whose name the template gave last
    std::string namedStem;  // and that name, without extension
    int currentPage = 0;
    int currentObject = 0; // of the image being written; 0 for an inline one
    ColourMemos colourMemos;
    int currentNumber = 0;
    bool asShown = false;
    ImageTurn currentTurn;     // of the image being written
    std::string currentTurnNote; // how it was turned, when not as stored
    int skipRepeated = 0;
    int imagesRepeated = 0;
    using ObjectUse = std::tuple<int, int, int, int>; // object, generation, width, height
    ObjectUse currentUse{};
    std::string currentHash;
    std::map<ObjectUse, std::string> objectFiles; // the first file of each object and size
    std::map<std::string, std::string> hashFiles; // the first file of each content
};
