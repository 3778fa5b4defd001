#include "engine/run/page_rendering.h"

#include "engine/settings/convert_settings.h"
#include "engine/dump/image_dump_dev.h"
#include "engine/pdf/page_display.h"
#include "engine/pdf/pdf_engine.h"
#include "engine/catalogue/recording_dump_dev.h"
#include "engine/settings/text_format.h"

#include <PDFDoc.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <sched.h>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Counts the images the dump device would be given: it answers the engine as
// the device does, so the engine hands it the same images in the same order.
// Images in the page's own content (inline images) are read as the device
// reads them, because the engine finds the content that follows by where
// their data ended; the others are not decoded.
class ImageCounter : public ImageDumpDev {
public:
    ImageCounter() : ImageDumpDev("", false, &discard_) {}
    int count = 0;
    void drawImageMask(GfxState* state, Object* ref, Stream* str, int width, int height, bool invert,
                       bool interpolate, bool inlineImg) override {
        ++count;
        if (inlineImg)
            ImageDumpDev::drawImageMask(state, ref, str, width, height, invert, interpolate, inlineImg);
    }
    void drawImage(GfxState* state, Object* ref, Stream* str, int width, int height, GfxImageColorMap* colorMap,
                   bool interpolate, const int* maskColors, bool inlineImg) override {
        ++count;
        if (inlineImg)
            ImageDumpDev::drawImage(state, ref, str, width, height, colorMap, interpolate, maskColors, inlineImg);
    }

private:
    DiscardImages discard_;
};

// The Current indicator's steps, in order, from any thread.
class PageProgress {
public:
    PageProgress(ProgressSink& progress, int pages) : progress_(progress), pages_(pages) {}
    void PageDone() {
        std::lock_guard<std::mutex> lock(mutex_);
        const int k = ++done_;
        const int q = 100 * k / pages_;
        progress_.SetCurrent(FormatText("Page %d of %d, %d%%", k, pages_, q), q);
    }

private:
    ProgressSink& progress_;
    const int pages_;
    int done_ = 0;
    std::mutex mutex_;
};

// The processors this process may run on: page threads beyond them only
// take memory.
int ProcessorsAvailable() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

// The dump device of one thread, recording into entries when asked.
std::unique_ptr<ImageDumpDev> MakeDevice(const ImageDestination& destination, std::vector<ImageEntry>& entries) {
    std::unique_ptr<ImageDumpDev> device =
        destination.record
            ? std::make_unique<RecordingDumpDev>(destination.root, destination.passJpeg, destination.handoff,
                                                 destination.masks, entries)
            : std::make_unique<ImageDumpDev>(destination.root, destination.passJpeg, destination.handoff,
                                             destination.masks);
    device->Select(destination.selection);
    device->WriteAsShown(destination.asShown);
    device->KeepStoredEncodings(destination.keepStored);
    return device;
}

// Images the engine passed over count as damaged as those the device refused.
RenderedImages Counted(const ImageDumpDev& device, std::vector<ImageEntry>& entries) {
    return {device.ImagesWritten(),      device.ImagesFailed(),   device.FailureReason(),
            device.ImagesDamaged() + device.ImagesPassedOver(),
            device.ImagesBelowMinimum(), device.ImagesRepeated(), device.ImagesKeptStored(), std::move(entries)};
}

} // namespace

void RenderedImages::Add(RenderedImages more) {
    written += more.written;
    if (failed == 0)
        failureReason = more.failureReason;
    failed += more.failed;
    damaged += more.damaged;
    belowMinimum += more.belowMinimum;
    repeated += more.repeated;
    keptStored += more.keptStored;
    images.insert(images.end(), std::make_move_iterator(more.images.begin()),
                  std::make_move_iterator(more.images.end()));
}

RenderedImages RenderPages(PDFDoc& document, const std::string& path, const std::string& ownerPassword,
                           const std::string& userPassword, PageRange pages, const ImageDestination& destination,
                           ProgressSink& progress, int threads) {
    const int count = pages.last - pages.first + 1;
    PageProgress steps(progress, count);
    RenderedImages rendered;
    if (threads <= 1 || count <= 1 || !destination.selection.nameTemplate.empty() ||
        destination.selection.skipRepeated != REPEATS_KEPT) {
        std::vector<ImageEntry> entries;
        const std::unique_ptr<ImageDumpDev> device = MakeDevice(destination, entries);
        for (int page = pages.first; page <= pages.last; ++page) {
            DisplayPage(document, *device, page);
            steps.PageDone();
        }
        return Counted(*device, entries);
    }

    // The number of each page's first image.
    std::vector<int> firstNumber(static_cast<size_t>(count));
    ImageCounter counter;
    for (int i = 0; i < count; ++i) {
        firstNumber[static_cast<size_t>(i)] = counter.count;
        DisplayPage(document, counter, pages.first + i);
    }

    // Pages are taken in order by whichever thread is free.
    std::atomic<int> next{0};
    std::mutex totals;
    auto work = [&](PDFDoc& own) {
        std::vector<ImageEntry> entries;
        const std::unique_ptr<ImageDumpDev> device = MakeDevice(destination, entries);
        for (int i; (i = next++) < count;) {
            device->StartNumbersAt(firstNumber[static_cast<size_t>(i)]);
            DisplayPage(own, *device, pages.first + i);
            steps.PageDone();
        }
        std::lock_guard<std::mutex> lock(totals);
        rendered.Add(Counted(*device, entries));
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < std::min(threads, ProcessorsAvailable()); ++t) {
        try {
            helpers.emplace_back([&] {
                std::unique_ptr<PDFDoc> own = OpenPdfDocument(path, ownerPassword, userPassword);
                if (own->isOk())
                    work(*own);
            });
        } catch (const std::system_error&) {
            break; // the threads there are take every page
        }
    }
    work(document);
    for (std::thread& helper : helpers)
        helper.join();
    // Each thread recorded the pages it took.
    std::stable_sort(rendered.images.begin(), rendered.images.end(),
                     [](const ImageEntry& a, const ImageEntry& b) { return a.page < b.page; });
    return rendered;
}
