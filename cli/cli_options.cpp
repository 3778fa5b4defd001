#include "cli/cli_options.h"

#include "cli/exit_code.h"

#include <CLI/CLI.hpp>

#include <sstream>

namespace {

// "FIRST-LAST" or a single page "N".
bool ParsePageRange(const std::string& text, int* first, int* last) {
    std::istringstream in(text);
    char dash = 0;
    if (!(in >> *first))
        return false;
    if (in >> dash) {
        if (dash != '-' || !(in >> *last))
            return false;
    } else {
        *last = *first;
    }
    in >> std::ws;
    return in.eof() && *first >= 1 && *last >= *first;
}

} // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
    CliOptions options;
    std::string format = "jpg";
    std::string pages;
    bool gray = false;

    CLI::App app{"Writes every image embedded in the pages of PDF files to a folder.", "vellumin-cli"};
    app.get_formatter()->column_width(34);
    app.add_option("inputs", options.inputs, "PDF files, or folders searched recursively for them")
        ->required()
        ->type_name("PDF-or-FOLDER...");
    app.add_option("-o,--output-dir", options.settings.outputDirectory,
                   "Folder for every document's images (created when missing)\n"
                   "default: a folder named after each document, beside it")
        ->type_name("DIR");
    app.add_option("-f,--format", format, "Output format; ppm keeps the raw PBM/PPM dump")
        ->check(CLI::IsMember({"ppm", "jpg", "bmp", "gif", "png", "tif", "tga", "pcx"}))
        ->default_str("jpg")
        ->type_name("FORMAT");
    app.add_option("-q,--quality", options.settings.jpegQuality, "JPEG quality in percent")
        ->check(CLI::Range(1, 100))
        ->default_str("70")
        ->type_name("1-100");
    app.add_flag("--gray", gray, "Make converted JPEG files gray");
    app.add_option("-p,--pages", pages, "Pages to extract from each document (default: all)")
        ->type_name("FIRST-LAST");
    app.add_option("--owner-password", options.ownerPassword, "Owner password for every document")
        ->type_name("TEXT");
    app.add_option("--user-password", options.userPassword, "User password for every document")
        ->type_name("TEXT");
    app.add_flag("--summary", options.summaryOnly, "Print each document's summary instead of extracting");
    app.add_flag("--progress", options.forceProgress, "Show progress even when standard error is no terminal");
    app.set_version_flag("--version", std::string("vellumin-cli ") + VELLUMIN_VERSION);

    ParsedCommandLine parsed;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        std::ostringstream out, err;
        parsed.exitCode = app.exit(e, out, err);
        if (parsed.exitCode != 0)
            parsed.exitCode = static_cast<int>(ExitCode::UsageError);
        parsed.output = out.str() + err.str();
        return parsed;
    }
    if (!pages.empty()) {
        options.settings.pageRange = 1;
        if (!ParsePageRange(pages, &options.settings.startPage, &options.settings.endPage)) {
            parsed.exitCode = static_cast<int>(ExitCode::UsageError);
            parsed.output = "--pages: expected FIRST-LAST with 1 <= FIRST <= LAST, got '" + pages + "'\n";
            return parsed;
        }
    }
    options.settings.imagesFormat = format == "ppm" ? OUTPUT_PPM_PBM : OutputFormatFromLabel(format);
    options.settings.jpegGrayScale = gray ? 0 : 1;
    parsed.options = options;
    return parsed;
}
