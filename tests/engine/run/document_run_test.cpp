// A document run's counts against what its folder holds, when the disk
// refuses some of the files: the run goes through the worker process, as in
// both front ends, with a limit on the size of each file it writes.
#include "engine/run/document_process.h"
#include "tests/support/pdf_writer.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <poll.h>
#include <random>
#include <sys/stat.h>

using testing_support::ListFiles;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

constexpr int kImages = 6;

// A JPEG copied as it is, a tiny RGB image, a one-bit image of noise (its
// PBM file fits the limit; some formats make it larger), an RGB image of
// noise that fits the limit in no form, a flat image too large for it even
// as its PPM file, and a JPEG image whose data is not JPEG data.
std::string MixedDocument() {
    testpdf::PdfWriter pdf;
    std::mt19937 random(7);
    auto noise = [&](int, int, int) { return static_cast<unsigned>(random() & 0xFF); };
    std::vector<int> images;
    images.push_back(pdf.AddImage({"/Width 16 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                   testpdf::MakeJpeg(16, 8, 3, [](int x, int y, int c) {
                                       return static_cast<unsigned char>(x * 9 + y * 5 + c * 70);
                                   }),
                                   "/DCTDecode"}));
    images.push_back(pdf.AddFlateImage("/Width 4 /Height 4 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                       testpdf::PackSamples(4, 4, 3, 8, [](int x, int, int) { return x * 60u; })));
    images.push_back(pdf.AddFlateImage("/Width 256 /Height 256 /ColorSpace /DeviceGray /BitsPerComponent 1",
                                       testpdf::PackSamples(256, 256, 1, 1, [&](int, int, int) { return noise(0, 0, 0) & 1; })));
    images.push_back(pdf.AddFlateImage("/Width 192 /Height 192 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                       testpdf::PackSamples(192, 192, 3, 8, noise)));
    images.push_back(pdf.AddFlateImage("/Width 620 /Height 620 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                       std::string(620 * 620 * 3, '\x80')));
    images.push_back(pdf.AddImage({"/Width 64 /Height 64 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                                   "these bytes are no JPEG data at all", "/DCTDecode"}));
    pdf.AddPage({images});
    return pdf.Build();
}

class NullEvents : public DocumentEvents {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SetTotal(const std::string&, int) override {}
    void SetCurrent(const std::string&, int) override {}
    std::vector<std::string> messages;
};

// Runs the document in a worker that may write no file larger than
// fileLimit bytes, as a full disk would refuse them.
DocumentReport RunWithFileLimit(const std::string& document, const std::string& folder, int format,
                                unsigned long long fileLimit, NullEvents& events) {
    ConvertSettings settings;
    settings.imagesFormat = format;
    settings.outputDirectory = folder;
    const DocumentOutput output = OutputPlanner().Plan(document, settings);
    std::unique_ptr<DocumentProcess> process;
    {
        // The worker takes the limit with it.
        testing_support::FileSizeLimit limit(fileLimit);
        process = std::make_unique<DocumentProcess>(ExtractRequest{document}, output, settings, DocumentLimits{0, 60});
    }
    while (process->Channel() >= 0) {
        pollfd channel{process->Channel(), POLLIN, 0};
        poll(&channel, 1, 1000);
        if (!process->Read(events))
            break;
    }
    return process->Finish();
}

bool EndsWith(const std::string& name, const std::string& end) {
    return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST(DocumentRun, OnADiskThatRefusesFilesTheCountsMatchTheFolderInEveryFormat) {
    TempDir dir;
    WriteFile(dir / "mixed.pdf", MixedDocument());
    for (int format = OUTPUT_PPM_PBM; format <= OUTPUT_PCX; ++format) {
        const std::string label = OutputFormatLabel(format);
        const std::string folder = dir / std::to_string(format);
        mkdir(folder.c_str(), 0777);
        NullEvents events;
        const DocumentReport report = RunWithFileLimit(dir / "mixed.pdf", folder, format, 16 * 1024, events);
        ASSERT_TRUE(report.cutShort.empty()) << label << ": " << report.cutShort;
        ASSERT_EQ(report.extraction.outcome, ExtractOutcome::Extracted) << label;
        const ImageCounts& images = report.images;

        int finalFiles = 0, pnmFiles = 0;
        const std::string extension = format == OUTPUT_PPM_PBM ? "" : "." + label;
        for (const std::string& name : ListFiles(folder)) {
            ASSERT_NE(name[0], '.') << label << ": a temporary file is left: " << name;
            const bool pnm = EndsWith(name, ".ppm") || EndsWith(name, ".pbm");
            if (format == OUTPUT_PPM_PBM ? pnm : EndsWith(name, extension) || EndsWith(name, ".jpg"))
                ++finalFiles;
            else if (pnm)
                ++pnmFiles;
            else
                ADD_FAILURE() << label << ": " << name;
        }
        EXPECT_EQ(images.written, finalFiles) << label;
        EXPECT_EQ(images.kept, pnmFiles) << label;
        EXPECT_EQ(images.damaged, 1) << label;
        EXPECT_EQ(images.written + images.kept + images.lost + images.damaged, kImages) << label;
        // The noisy RGB image and the large flat one fit in no form.
        EXPECT_GE(images.lost, 2) << label;
        EXPECT_EQ(images.lostReason, "File too large") << label;
        EXPECT_TRUE(LostImages(images)) << label;

        std::vector<std::string> problems = {std::to_string(images.lost) +
                                             " image(s) could not be written: File too large."};
        if (images.kept > 0)
            problems.push_back(std::to_string(images.kept) + " image(s) could not be converted to " + label + " (" +
                               images.keptReason + "); their PBM/PGM/PPM files were kept.");
        problems.push_back("1 image(s) skipped: their data in the document is damaged");
        EXPECT_EQ(DescribeImageProblems(images, format), problems) << label;
    }
}

TEST(DocumentRun, ImagesKeptUnconvertedSayWhyInTheWritersWords) {
    TempDir dir;
    WriteFile(dir / "mixed.pdf", MixedDocument());
    // The one-bit noise fits as a PBM file, but not as 8-bit gray TGA.
    NullEvents events;
    const DocumentReport report = RunWithFileLimit(dir / "mixed.pdf", dir.path(), OUTPUT_TGA, 16 * 1024, events);
    EXPECT_EQ(report.images.kept, 1);
    EXPECT_EQ(report.images.keptReason, "Write Error in TGA file: File too large");
}

TEST(DocumentRun, DamagedImagesAreNoLoss) {
    TempDir dir;
    WriteFile(dir / "mixed.pdf", MixedDocument());
    NullEvents events;
    const DocumentReport report = RunWithFileLimit(dir / "mixed.pdf", dir.path(), OUTPUT_PNG, ~0ull, events);
    EXPECT_EQ(report.images.written, kImages - 1);
    EXPECT_EQ(report.images.damaged, 1);
    EXPECT_FALSE(LostImages(report.images));
    EXPECT_EQ(DescribeImageProblems(report.images, OUTPUT_PNG),
              std::vector<std::string>{"1 image(s) skipped: their data in the document is damaged"});
}
