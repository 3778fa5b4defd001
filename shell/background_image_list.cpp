#include "shell/background_image_list.h"

#include "engine/run/document_listing.h"

namespace {

// The summary has told what is wrong with a document already.
class Unheard : public MessageSink, public ProgressSink {
public:
    void ShowMessage(const std::string&) override {}
    void SetTotal(const std::string&, int) override {}
    void SetCurrent(const std::string&, int) override {}
};

} // namespace

BackgroundImageList::~BackgroundImageList() { Cancel(); }

bool BackgroundImageList::Cancel() {
    const bool reading = done_ && !*done_;
    if (stop_)
        *stop_ = true;
    if (thread_.joinable())
        thread_.join();
    stop_.reset();
    done_.reset();
    return reading;
}

void BackgroundImageList::Start(const std::string& path, Ready ready) {
    Cancel();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    done_ = std::make_shared<std::atomic<bool>>(false);
    thread_ = std::thread([path, ready = std::move(ready), stop = stop_, done = done_] {
        Unheard unheard;
        ExtractRequest request;
        request.path = path;
        std::vector<ImageEntry> entries;
        const ExtractOutcome outcome = ListDocumentImages(request, ConvertSettings(), unheard, unheard, &entries, stop.get());
        if (!*stop)
            ready(outcome == ExtractOutcome::Extracted, std::move(entries));
        *done = true;
    });
}
