#pragma once
// The done marker: a small hidden file in a document's output place, written
// last and at once (under a temporary name, then renamed) when the document's
// run ended in a way that running it again would not change: extracted with
// every image written, or skipped as invalid, empty or forbidden. It records
// the document's size and modification time, the options that shape the
// output, the outcome and the counts; a run with --skip-done passes over a
// document whose marker still matches.
#include "cli/document_outcome.h"
#include "engine/settings/convert_settings.h"
#include "engine/run/document_output.h"

#include <nlohmann/json.hpp>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

// ".vellumin-done.json" in a document's own folder, ".TITLE.vellumin-done.json"
// in a shared one. A title too long for a name of 255 bytes is cut and
// followed by a digest of the whole title (".TIT.DIGEST.vellumin-done.json").
std::string MarkerPath(const DocumentOutput& output);

// The file a run locks while it runs the document (see DocumentLock):
// ".TITLE.vellumin-lock" in a shared folder, or ".FOLDER.vellumin-lock"
// beside the document's own folder, which may not be there yet; long titles
// are shortened as for the marker.
std::string LockPath(const DocumentOutput& output);

// What a marker must match to be taken as done: the document as it is on
// disk and the options that shape its files.
nlohmann::json MarkerKey(const std::string& documentPath, const ConvertSettings& settings);

// Whether the outcome is one a rerun would not change.
bool IsFinal(const DocumentOutcome& outcome);

// Writes the marker of a document whose run ended for good, with the names
// of the files it wrote (FilesWrittenSince); false when it could not be written (or when the
// output folder is not there).
bool WriteMarker(const DocumentOutput& output, const nlohmann::json& key, const DocumentOutcome& outcome,
                 const std::vector<std::string>& files);

// The recorded outcome when the document's marker matches the key.
std::optional<DocumentOutcome> MatchingMarker(const DocumentOutput& output, const nlohmann::json& key);

// Removes the document's marker: a run that starts makes the files it
// described out of date until it ends.
void RemoveMarker(const DocumentOutput& output);

// Removes what an earlier run of the document left in its output place, and
// only what that run can be proven to have made: the files its marker lists
// or, with no marker (a run that never finished), the files whose names the
// run's naming gives the document's images (IsOutputImageOf); then the
// marker. Nothing else of the folder is touched: not the user's files, not a
// document. (The run's sweep removes the temporary files of processes now gone.)
void RemovePartialOutput(const DocumentOutput& output, const std::string& nameTemplate);
