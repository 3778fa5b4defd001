#include "engine/run/document_output.h"

#include "engine/dump/image_names.h"
#include "engine/settings/text_format.h"
#include "platform/file_path_info.h"
#include "platform/file_system.h"

#include <algorithm>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

const char* const kUntitled = "untitled";

bool NamesAFolderOfItsOwn(const std::string& title) { return !title.empty() && title != "." && title != ".."; }

bool ModifiedSince(const std::string& path, const timespec& since) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 &&
           std::tie(info.st_mtim.tv_sec, info.st_mtim.tv_nsec) >= std::tie(since.tv_sec, since.tv_nsec);
}

} // namespace

std::string SharedDirectoryNames::Claim(const std::string& title) {
    std::string candidate = title;
    for (int n = 2; claimed_.count(candidate); ++n)
        candidate = title + "-" + std::to_string(n);
    claimed_.insert(candidate);
    return candidate;
}

DocumentOutput OutputPlanner::Plan(const std::string& path, const ConvertSettings& settings) {
    DocumentOutput output;
    const platform::FilePathInfo info(path);
    const bool safe = NamesAFolderOfItsOwn(info.Title());
    const std::string title = safe ? info.Title() : kUntitled;
    const bool shared = chosenDirectoryMade_ ? !settings.outputDirectory.empty()
                                             : platform::PathExists(settings.outputDirectory);
    if (shared) {
        output.outputDirectory = platform::WithTrailingSlash(settings.outputDirectory);
        output.imageTitle = sharedTitles_.Claim(title);
        output.imageRoot = output.outputDirectory + output.imageTitle;
    } else {
        output.outputDirectory = ownFolders_.Claim(info.Folder() + title) + "/";
        output.imageRoot = output.outputDirectory;
        if (output.outputDirectory != info.Folder() + title + "/")
            output.notice = FormatText("Another document of this run writes to '%s%s/'; the images of this one "
                                       "go to '%s'.",
                                       info.Folder().c_str(), title.c_str(), output.outputDirectory.c_str());
    }
    if (!safe)
        output.notice = FormatText("The title of this document cannot name its images; they are written as '%s-NNN'.",
                                   output.imageRoot.c_str());
    return output;
}

std::string DocumentTitle(const DocumentOutput& output) {
    if (!output.imageTitle.empty())
        return output.imageTitle;
    const std::string folder = output.outputDirectory.substr(0, output.outputDirectory.size() - 1);
    return folder.substr(folder.rfind('/') + 1);
}

bool IsOutputImageOf(const std::string& name, const DocumentOutput& output, const std::string& nameTemplate) {
    return CouldBeImageFile(name, nameTemplate, DocumentTitle(output), output.imageTitle);
}

bool IsOutputImageFileOf(const platform::DirectoryEntry& entry, const DocumentOutput& output,
                         const std::string& nameTemplate) {
    return entry.isRegularFile && !entry.isLink && IsOutputImageOf(entry.name, output, nameTemplate);
}

std::vector<std::string> FilesWrittenSince(const DocumentOutput& output, const std::string& nameTemplate,
                                           const timespec& since) {
    std::vector<std::string> files;
    for (const platform::DirectoryEntry& entry : platform::ListDirectory(output.outputDirectory))
        if (IsOutputImageFileOf(entry, output, nameTemplate) && ModifiedSince(output.outputDirectory + entry.name, since))
            files.push_back(entry.name);
    std::sort(files.begin(), files.end());
    return files;
}

void RemoveOutputWrittenSince(const DocumentOutput& output, const std::string& nameTemplate, const timespec& since,
                              bool ownFolder) {
    for (const std::string& name : FilesWrittenSince(output, nameTemplate, since))
        unlink((output.outputDirectory + name).c_str());
    if (ownFolder)
        rmdir(output.outputDirectory.c_str()); // only when empty
}
