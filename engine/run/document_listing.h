#pragma once
// The catalogue of a document's images: every image the dump device would
// write, in its order and with its number, described without being decoded
// and without writing anything.
#include "engine/run/document_extraction.h"
#include "engine/catalogue/image_entry.h"
#include "engine/settings/user_feedback.h"

#include <atomic>
#include <vector>

// Lists the images of the chosen pages into entries; an image's mask and soft
// mask follow it as entries of their own. Refuses a document as the
// extraction does, with the same messages. Images smaller than the settings'
// minimum size are listed as below it. A stop set from another thread ends
// the listing before the next page, with the entries listed so far.
ExtractOutcome ListDocumentImages(const ExtractRequest& request, const ConvertSettings& settings,
                                  MessageSink& messages, ProgressSink& progress, std::vector<ImageEntry>* entries,
                                  const std::atomic<bool>* stop = nullptr);
