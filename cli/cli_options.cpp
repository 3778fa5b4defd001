#include "cli/cli_options.h"

#include "cli/exit_code.h"
#include "cli/image_report.h"
#include "engine/dump/image_names.h"
#include "platform/product_info.h"

#include <CLI/CLI.hpp>

#include <climits>
#include <regex>
#include <thread>
#include <vector>

namespace {

// "N", "N-M" or "N-" (from N to the last page). The engine raises a first
// page of 0 to 1 and lowers a last page beyond the document to its last.
bool ParsePageRange(const std::string& text, int* first, int* last) {
    static const std::regex form("([0-9]{1,9})(-([0-9]{1,9})?)?");
    std::smatch parts;
    if (!std::regex_match(text, parts, form))
        return false;
    *first = std::stoi(parts[1]);
    if (!parts[2].matched)
        *last = *first;
    else
        *last = parts[3].matched ? std::stoi(parts[3]) : INT_MAX;
    return *last >= std::max(*first, 1);
}

// "K/N" with K < N.
bool ParseShard(const std::string& text, Shard* shard) {
    static const std::regex form("([0-9]{1,18})/([0-9]{1,18})");
    std::smatch parts;
    if (!std::regex_match(text, parts, form))
        return false;
    shard->index = std::stoll(parts[1]);
    shard->count = std::stoll(parts[2]);
    return shard->count >= 1 && shard->index < shard->count;
}

// "WxH", or "N" for both.
bool ParseMinimumSize(const std::string& text, ConvertSettings* settings) {
    static const std::regex form("([0-9]{1,6})(x([0-9]{1,6}))?");
    std::smatch parts;
    if (!std::regex_match(text, parts, form))
        return false;
    settings->minimumWidth = std::stoi(parts[1]);
    settings->minimumHeight = parts[3].matched ? std::stoi(parts[3]) : settings->minimumWidth;
    return true;
}

// The names -f takes: the engine's format labels, with "ppm" for the raw
// dump, whose label ("ppm/pbm") would read as a path.
std::vector<std::string> FormatNames() {
    std::vector<std::string> names{"ppm"};
    for (int format = OUTPUT_PPM_PBM + 1; format < OUTPUT_FORMAT_COUNT; ++format)
        names.push_back(OutputFormatLabel(format));
    return names;
}

int DefaultJobs() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

} // namespace

std::string HelpText() {
    return std::string("Usage: vellumin-cli [OPTIONS] PDF-OR-FOLDER...\n"
                       "\n"
                       "Writes every image embedded in the pages of PDF files to a folder: stored JPEG\n"
                       "images as they are, the others in the chosen format. Folders are searched for\n"
                       "PDF files, subfolders included.\n"
                       "\n"
                       "Options:\n"
                       "  -o, --output-dir DIR       folder for every document's images, made when missing\n"
                       "                             (default: a folder named after each document, beside it)\n"
                       "  -f, --format FORMAT        jpg, bmp, gif, png, tif, tga, pcx, or ppm to keep the\n"
                       "                             raw PBM/PPM files (default: jpg)\n"
                       "  -q, --quality 1-100        JPEG quality in percent (default: 70)\n"
                       "      --gray                 make converted JPEG files gray\n"
                       "      --masks alpha|separate|none\n"
                       "                             what becomes of the masks images are drawn through:\n"
                       "                             the image's alpha channel (png, tif, tga), a\n"
                       "                             NAME.mask.pgm file beside the image, or nothing\n"
                       "                             (default: alpha for png, tif and tga, else none)\n"
                       "      --orient stored|shown  each file as the document stores the image, or turned\n"
                       "                             and mirrored as the page shows it, every pixel kept\n"
                       "                             (default: stored)\n"
                       "  -p, --pages N|N-M|N-       pages of each document; N- runs to the last page\n"
                       "                             (default: all)\n"
                       "      --owner-password TEXT  owner password for every document\n"
                       "      --user-password TEXT   user password for every document; a document that\n"
                       "                             the passwords do not open is tried without\n"
                       "  -j, --jobs N               documents processed at the same time\n"
                       "                             (default: the number of processors, here ") +
           std::to_string(DefaultJobs()) +
           ")\n"
           "      --memory-limit MB      memory one document may take, 0 for no limit\n"
           "                             (default: 4096)\n"
           "      --time-limit SECONDS   time one document may take, 0 for no limit\n"
           "                             (default: 600)\n"
           "      --sandbox on|off       off runs each document's worker without its\n"
           "                             confinement, to diagnose a document (default: on)\n"
           "      --keep-native          images stored as JPEG, JPEG 2000, CCITT fax or JBIG2\n"
           "                             data written as those formats' files, undecoded:\n"
           "                             .jpg, .jp2 or .j2k, .tif, .jb2; masks beside them\n"
           "      --min-size WxH|N       images narrower than W or lower than H pixels get no\n"
           "                             file; the others keep their numbers (default: 0)\n"
           "      --name TEMPLATE        file names from {title}, {page}, {n} (the image number)\n"
           "                             and {obj}, padded as {page:03}; names alike get -2, -3\n"
           "                             (default: the title, '-' and the number, -000)\n"
           "      --unique[=content]     an image drawn again as the same object at the same\n"
           "                             size gets no second file; =content also leaves out\n"
           "                             images whose pixels repeat another image of the run\n"
           "      --report FILE          a report of every image: the --list fields, the file\n"
           "                             written or why none was, its size and SHA-256, the\n"
           "                             file it repeats; FILE.jsonl (a line per document too)\n"
           "                             or FILE.csv, made afresh\n"
           "      --summary              print each document's summary instead of extracting\n"
           "      --list                 list each document's images instead of extracting:\n"
           "                             page, number, type, size, colour, encoding, object,\n"
           "                             placed size, resolution, stored size, and the place\n"
           "                             on the page (bbox_pt, matrix); nothing decoded\n"
           "      --json, --csv          with --list: one JSON object per image and line, or\n"
           "                             CSV with a header line\n"
           "      --plan                 print where each document's images would go,\n"
           "                             instead of extracting: a JSON object per document\n"
           "                             and line; \"apart_from\" names the earlier document\n"
           "                             of the list that has the place its name gives\n"
           "      --files-from FILE      also take the documents listed in FILE, one path per\n"
           "                             line, read as the run goes ('-': standard input)\n"
           "      --null                 the list's paths end with a NUL character, not a line\n"
           "                             break (as find -print0 writes them)\n"
           "      --shard K/N            take only the documents whose place in the list,\n"
           "                             counted from 0, is K modulo N\n"
           "      --skip-done            skip the documents whose done marker matches the\n"
           "                             document and the options; rerun the others\n"
           "      --no-markers           leave no done marker beside the finished documents\n"
           "      --results FILE.jsonl   append one JSON line per document as it ends\n"
           "      --progress             show progress even when standard error is no terminal\n"
           "  -h, --help                 print this help and exit\n"
           "      --version              print the version and exit\n"
           "\n"
           "Exit status:\n"
           "  0  every document was extracted\n"
           "  1  a document was skipped: missing, unreadable, invalid, forbidden, stopped at\n"
           "     a limit, its output folder not made, or held by another run; the others\n"
           "     were extracted\n"
           "  2  the command line could not be understood\n"
           "  3  a page range lies beyond a document; the run stopped there\n"
           "  4  the documents were read, but some images could not be written or converted\n"
           "     (images whose data in the document is damaged are reported, and do not count)\n"
           "  129, 130, 141, 143  the run was interrupted (SIGHUP, SIGINT, SIGPIPE, SIGTERM);\n"
           "     unfinished files were removed\n"
           "\n"
           "Examples:\n"
           "  vellumin-cli report.pdf            the images of report.pdf into report/, as JPEG\n"
           "  vellumin-cli -f png -p 3- -o imgs scans/\n"
           "                                     every PDF file below scans/, from page 3 on,\n"
           "                                     into imgs/ as PNG, transparency kept\n"
           "  vellumin-cli -f jpg --masks separate report.pdf\n"
           "                                     JPEG files, each mask as a PGM file beside\n"
           "                                     its image\n"
           "  find scans -name '*.pdf' -print0 | vellumin-cli --files-from - --null --skip-done\n"
           "                                     every listed document not yet done\n"
           "  vellumin-cli --min-size 32 --name '{title}-p{page:03}-{n}' -o imgs report.pdf\n"
           "                                     images of 32 x 32 pixels and more, named\n"
           "                                     imgs/report-p001-0.jpg...\n"
           "  vellumin-cli --unique=content --report images.jsonl scans/\n"
           "                                     one file per distinct image, and a record of\n"
           "                                     every use of each in images.jsonl\n"
           "  vellumin-cli --orient shown -f png scans.pdf\n"
           "                                     PNG files turned the way the pages show them\n"
           "  vellumin-cli --keep-native --report images.csv scans/\n"
           "                                     every image as it is stored where it can be,\n"
           "                                     recorded with its SHA-256 in images.csv\n"
           "  vellumin-cli --list --csv report.pdf > images.csv\n"
           "                                     the images of report.pdf as a table, not extracted\n"
           "  vellumin-cli --plan -o imgs a/report.pdf b/report.pdf\n"
           "                                     where each would write: imgs/report, imgs/report-2\n";
}

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
    CliOptions options;
    options.jobs = DefaultJobs();
    std::string format = "jpg";
    std::string masks = MaskOutputName(MASKS_ALPHA);
    std::string orientation = OrientationName(ORIENT_STORED);
    std::string pages;
    std::string shard;
    std::string minimumSize;
    std::string unique;
    std::string sandbox = "on";
    bool noMarkers = false;
    bool gray = false, help = false, version = false, keepNative = false;
    bool list = false, json = false, csv = false;

    CLI::App app{"", "vellumin-cli"};
    app.set_help_flag();
    app.add_option("inputs", options.inputs);
    app.add_option("-o,--output-dir", options.settings.outputDirectory);
    app.add_option("-f,--format", format)->check(CLI::IsMember(FormatNames()));
    app.add_option("-q,--quality", options.settings.jpegQuality)->check(CLI::Range(1, 100));
    app.add_flag("--gray", gray);
    app.add_option("--masks", masks)->check(CLI::IsMember({"alpha", "separate", "none"}));
    app.add_option("--orient", orientation)->check(CLI::IsMember({"stored", "shown"}));
    app.add_flag("--keep-native", keepNative);
    app.add_option("-p,--pages", pages);
    app.add_option("--owner-password", options.ownerPassword);
    app.add_option("--user-password", options.userPassword);
    app.add_option("-j,--jobs", options.jobs)->check(CLI::Range(1, 256));
    app.add_option("--memory-limit", options.memoryLimitMb)->check(CLI::Range(0, INT_MAX));
    app.add_option("--time-limit", options.timeLimitSeconds)->check(CLI::Range(0, INT_MAX));
    app.add_option("--sandbox", sandbox)->check(CLI::IsMember({"on", "off"}));
    app.add_option("--min-size", minimumSize);
    app.add_option("--name", options.settings.nameTemplate);
    app.add_flag("--unique{object}", unique);
    app.add_option("--report", options.reportPath);
    app.add_flag("--summary", options.summaryOnly);
    app.add_flag("--plan", options.plan);
    app.add_flag("--list", list);
    app.add_flag("--json", json);
    app.add_flag("--csv", csv);
    app.add_option("--files-from", options.filesFrom);
    app.add_flag("--null", options.nullSeparated);
    app.add_option("--shard", shard);
    app.add_flag("--skip-done", options.skipDone);
    app.add_flag("--no-markers", noMarkers);
    app.add_option("--results", options.resultsPath);
    app.add_flag("--progress", options.forceProgress);
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);

    ParsedCommandLine parsed;
    auto usageError = [&parsed](const std::string& text) {
        parsed.exitCode = static_cast<int>(ExitCode::UsageError);
        parsed.output = "vellumin-cli: " + text + "\nTry 'vellumin-cli --help' for more.\n";
        return parsed;
    };
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return usageError(e.what());
    }
    if (help) {
        parsed.output = HelpText();
        return parsed;
    }
    if (version) {
        parsed.output = std::string("vellumin-cli ") + kProductVersion + "\n";
        return parsed;
    }
    if (options.inputs.empty() && options.filesFrom.empty())
        return usageError("no PDF file or folder given");
    if (options.nullSeparated && options.filesFrom.empty())
        return usageError("--null: no list given (--files-from)");
    if (!shard.empty() && !ParseShard(shard, &options.shard))
        return usageError("--shard: expected K/N with N >= 1 and K < N, got '" + shard + "'");
    if (!minimumSize.empty() && !ParseMinimumSize(minimumSize, &options.settings))
        return usageError("--min-size: expected WxH or N in pixels, got '" + minimumSize + "'");
    if (!options.settings.nameTemplate.empty()) {
        std::string error;
        const std::optional<ImageNameTemplate> parsed = ImageNameTemplate::Parse(options.settings.nameTemplate, &error);
        if (!parsed)
            return usageError("--name: " + error + ".");
        if (!options.settings.outputDirectory.empty() && !parsed->UsesTitle())
            return usageError("--name: with -o the documents share one folder; the template needs {title} so "
                              "that their files keep apart.");
    }
    if (unique == "object")
        options.settings.skipRepeated = REPEATS_SAME_OBJECT;
    else if (unique == "content")
        options.settings.skipRepeated = REPEATS_SAME_PIXELS;
    else if (!unique.empty())
        return usageError("--unique: expected --unique or --unique=content, got '" + unique + "'");
    if (!options.reportPath.empty() && !ImageReport::KnownFormat(options.reportPath))
        return usageError("--report: the file's name must end with .jsonl or .csv, got '" + options.reportPath + "'");
    if ((json || csv) && !list)
        return usageError(std::string(json ? "--json" : "--csv") + ": only with --list");
    if (json && csv)
        return usageError("--json and --csv: choose one");
    if (list && options.summaryOnly)
        return usageError("--list and --summary: choose one");
    if (options.plan && (list || options.summaryOnly))
        return usageError(std::string(list ? "--list" : "--summary") + " and --plan: choose one");
    const char* extractsNothing = list ? "--list" : options.plan ? "--plan" : nullptr;
    if (extractsNothing && (options.skipDone || !options.resultsPath.empty() || !options.reportPath.empty()))
        return usageError(std::string(options.skipDone              ? "--skip-done"
                                      : options.resultsPath.empty() ? "--report"
                                                                    : "--results") +
                          ": " + extractsNothing + " extracts nothing, so there is nothing done to record");
    if (list && !unique.empty())
        return usageError("--unique: --list writes no file, so no repeat is left out");
    if (options.summaryOnly && !options.reportPath.empty())
        return usageError("--report and --summary: choose one");
    if (list)
        options.list = json ? ListFormat::Json : csv ? ListFormat::Csv : ListFormat::Table;
    options.writeMarkers = !noMarkers;
    if (!pages.empty()) {
        options.settings.pageRange = 1;
        if (!ParsePageRange(pages, &options.settings.startPage, &options.settings.endPage))
            return usageError("--pages: expected N, N-M or N- with N <= M, got '" + pages + "'");
    }
    options.settings.imagesFormat = format == "ppm" ? OUTPUT_PPM_PBM : OutputFormatFromLabel(format);
    options.settings.jpegGrayScale = gray ? 0 : 1;
    options.settings.masks = MaskOutputFromName(masks);
    options.sandbox = sandbox == "on";
    options.settings.orientation = OrientationFromName(orientation);
    options.settings.keepStored = keepNative ? 1 : 0;
    parsed.options = options;
    return parsed;
}
