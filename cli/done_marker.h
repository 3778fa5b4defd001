#pragma once
// The done marker: a small hidden file in a document's output place, written
// last and at once (under a temporary name, then renamed) when the document's
// run ended in a way that running it again would not change: extracted with
// every image written, or skipped as invalid, empty or forbidden. It records
// the document's size and modification time, the options that shape the
// output, the outcome and the counts; a run with --skip-done passes over a
// document whose marker still matches.
#include "cli/document_outcome.h"
#include "engine/convert_settings.h"
#include "engine/document_output.h"

#include <nlohmann/json.hpp>
#include <ctime>
#include <optional>
#include <string>

// ".vellumin-done.json" in a document's own folder, ".TITLE.vellumin-done.json"
// in a shared one.
std::string MarkerPath(const DocumentOutput& output);

// What a marker must match to be taken as done: the document as it is on
// disk and the options that shape its files.
nlohmann::json MarkerKey(const std::string& documentPath, const ConvertSettings& settings);

// Whether the outcome is one a rerun would not change.
bool IsFinal(const DocumentOutcome& outcome);

// Writes the marker of a document whose run ended for good; false when it
// could not be written (or when the output folder is not there).
bool WriteMarker(const DocumentOutput& output, const nlohmann::json& key, const DocumentOutcome& outcome);

// The recorded outcome when the document's marker matches the key.
std::optional<DocumentOutcome> MatchingMarker(const DocumentOutput& output, const nlohmann::json& key);

// Removes the document's marker: a run that starts makes the files it
// described out of date until it ends.
void RemoveMarker(const DocumentOutput& output);

// Removes what an unfinished run of the document left in its output place:
// its image files and its marker (the run's sweep removes the temporary
// files of processes now gone).
void RemovePartialOutput(const DocumentOutput& output);

// Removes the image files of the document written since the given time (a
// run that should not have started it), leaving older ones, and its own
// folder when that is left empty.
void RemoveOutputWrittenSince(const DocumentOutput& output, const timespec& since, bool ownFolder);
