#pragma once
// The catalogue of a document's images as vellumin-cli prints or records it:
// an aligned table for a terminal, JSON lines and CSV rows for machines.
#include "engine/catalogue/image_entry.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// "PATH: N images" and the table of the entries, a header above aligned
// columns; ends with a line break. When stored encodings are kept, a
// "kept-as" column gives each image's file extension in its stored encoding
// ("-" for none), and the note column says what the run said of it.
std::string ImageTable(const std::string& path, const std::vector<ImageEntry>& entries, bool withKept = false);

// One entry as a JSON object that names its document.
nlohmann::json ImageLine(const std::string& path, const ImageEntry& entry);

// CSV: the header line and one entry's line, both ending with a line break.
// withFiles adds what became of each image (file, bytes, SHA-256, duplicate);
// withKept the stored encoding kept and the note (kept_as, note).
std::string CsvHeader(bool withFiles, bool withKept = false);
std::string CsvRow(const std::string& path, const ImageEntry& entry, bool withFiles, bool withKept = false);
