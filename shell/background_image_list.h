#pragma once
// The images of a document read on a thread of their own, for the summary
// panel: the window never waits for a long document, and a read that another
// document's click makes useless is stopped at the next page.
#include "engine/catalogue/image_entry.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class BackgroundImageList {
public:
    // Called on the reading thread once the whole list is read, with listed
    // false when the document's images cannot be listed (it forbids copying
    // them, say); not called for a read that was cancelled.
    using Ready = std::function<void(bool listed, std::vector<ImageEntry>)>;

    BackgroundImageList() = default;
    ~BackgroundImageList();
    BackgroundImageList(const BackgroundImageList&) = delete;
    BackgroundImageList& operator=(const BackgroundImageList&) = delete;

    // Cancels the read in progress, if any, and starts reading path.
    void Start(const std::string& path, Ready ready);
    // Stops the read in progress and waits for its thread; true when a read
    // was cut short by it.
    bool Cancel();

private:
    std::shared_ptr<std::atomic<bool>> stop_;
    std::shared_ptr<std::atomic<bool>> done_; // the read came to its end
    std::thread thread_;
};
