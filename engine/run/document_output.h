#pragma once
// Where the images of each document of a run go. Every document is placed
// before any is extracted, in the order of the run, so that documents that
// run side by side get the same places as one after another.
#include "engine/settings/convert_settings.h"
#include "platform/file_system.h"

#include <ctime>
#include <set>
#include <string>
#include <vector>

struct DocumentOutput {
    std::string outputDirectory; // ends with '/'
    std::string imageRoot;       // prefix of every file name
    std::string imageTitle;      // the document's title in a shared directory, else empty
    std::string notice;          // for the person, when the place is not the one the name gives
};

// Titles of the documents of one run that write into a shared output
// directory: each document's files are named after it, and a document whose
// title was already used in the run gets a number added ("report-2").
class SharedDirectoryNames {
public:
    // A title not yet given out in this run, based on the document's title.
    std::string Claim(const std::string& title);

private:
    std::set<std::string> claimed_;
};

class OutputPlanner {
public:
    // A front end that makes the chosen directory before its run (the
    // command line) says so, so that places planned before the directory is
    // there are those of the run.
    explicit OutputPlanner(bool chosenDirectoryMade = false) : chosenDirectoryMade_(chosenDirectoryMade) {}

    // When settings.outputDirectory names an existing directory (or one the
    // run makes), documents share it and each one's files are named after it
    // ("report-000.jpg", "report-2-000.jpg" for a second "report"). Otherwise
    // a directory named after the document is made beside it, and a second
    // document of the run with the same title ("report.PDF" beside
    // "report.pdf") gets its own ("report-2/"). A title that cannot name a
    // folder ("", "." or "..") is replaced by "untitled".
    DocumentOutput Plan(const std::string& path, const ConvertSettings& settings);

private:
    bool chosenDirectoryMade_;
    SharedDirectoryNames sharedTitles_;
    SharedDirectoryNames ownFolders_;
};

// The document's title as its images' names give it: its name in a shared
// folder, else the name of its own folder.
std::string DocumentTitle(const DocumentOutput& output);

// Whether a file in the document's output folder is one its run could have
// written under the name template (empty for the default names); see
// CouldBeImageFile.
bool IsOutputImageOf(const std::string& name, const DocumentOutput& output, const std::string& nameTemplate);

// The same for an entry of the folder: a plain file, never a link.
bool IsOutputImageFileOf(const platform::DirectoryEntry& entry, const DocumentOutput& output,
                         const std::string& nameTemplate);

// The image files of the document in its output place written since the
// given time, by name, sorted: what a run of it wrote.
std::vector<std::string> FilesWrittenSince(const DocumentOutput& output, const std::string& nameTemplate,
                                           const timespec& since);

// Removes the image files of the document written since the given time (by
// a run that stopped before its end, or that should not have started),
// leaving older ones, and its own folder when that is left empty.
void RemoveOutputWrittenSince(const DocumentOutput& output, const std::string& nameTemplate, const timespec& since,
                              bool ownFolder);
