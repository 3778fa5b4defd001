#include "cli/image_report.h"

#include "cli/image_list.h"
#include "platform/file_path_info.h"

namespace {

std::string Line(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

} // namespace

bool ImageReport::KnownFormat(const std::string& path) {
    const std::string extension = platform::LowerCaseExtension(path);
    return extension == ".jsonl" || extension == ".csv";
}

bool ImageReport::Open(const std::string& path, std::string* error, bool withKept) {
    csv_ = platform::LowerCaseExtension(path) == ".csv";
    withKept_ = withKept;
    return file_.Open(path, error, true) && (!csv_ || file_.WriteText(CsvHeader(true, withKept), error));
}

bool ImageReport::Write(const DocumentOutcome& outcome, const std::vector<ImageEntry>& images, std::string* error) {
    std::string text;
    for (const ImageEntry& image : images) {
        if (csv_) {
            text += CsvRow(outcome.path, image, true, withKept_);
        } else {
            nlohmann::json line = ImageLine(outcome.path, image);
            line["record"] = "image";
            text += Line(line);
        }
    }
    if (!csv_) {
        nlohmann::json line = {{"record", "document"}, {"path", outcome.path}, {"output", outcome.output}};
        line.update(OutcomeFields(outcome));
        line["images"] = images.size();
        text += Line(line);
    }
    return text.empty() || file_.WriteText(text, error);
}
