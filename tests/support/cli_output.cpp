#include "tests/support/cli_output.h"

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "tests/support/test_support.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace testing_support {

namespace {

std::string Contents(FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

} // namespace

CliResult RunCliCommand(std::vector<const char*> args) {
    args.insert(args.begin(), "vellumin-cli");
    ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(args.size()), args.data());
    if (!parsed.options)
        return {parsed.exitCode, "", parsed.output};
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    const int status = RunCli(*parsed.options, out, err, false, false);
    CliResult result{status, Contents(out), Contents(err)};
    std::fclose(out);
    std::fclose(err);
    return result;
}

std::map<std::string, std::string> CliOutput(const std::vector<std::string>& documents, const std::string& folder,
                                             const char* format) {
    std::vector<const char*> args{"vellumin-cli", "--no-markers", "-f", format, "-o", folder.c_str()};
    for (const std::string& document : documents)
        args.push_back(document.c_str());
    ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(args.size()), args.data());
    if (!parsed.options) {
        ADD_FAILURE() << "vellumin-cli refused its arguments: " << parsed.output;
        return {};
    }
    FILE* sink = std::tmpfile();
    RunCli(*parsed.options, sink, sink, false, false);
    std::fclose(sink);
    return FolderContents(folder);
}

} // namespace testing_support
