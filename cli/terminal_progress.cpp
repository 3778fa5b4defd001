#include "cli/terminal_progress.h"

TerminalProgress::TerminalProgress(FILE* stream, bool enabled, bool inPlace)
    : stream_(stream), enabled_(enabled), inPlace_(inPlace) {}

TerminalProgress::~TerminalProgress() { Break(); }

void TerminalProgress::SetTotal(const std::string& text, int) {
    total_ = text;
    current_.clear();
    Redraw();
}

void TerminalProgress::SetCurrent(const std::string& text, int) {
    current_ = text;
    Redraw();
}

void TerminalProgress::Redraw() {
    std::string line = current_.empty() ? total_ : total_ + "  " + current_;
    if (!enabled_ || line == shown_)
        return;
    shown_ = line;
    if (inPlace_) {
        std::fprintf(stream_, "\r\033[K%s", line.c_str());
        lineOpen_ = true;
    } else {
        std::fprintf(stream_, "%s\n", line.c_str());
    }
    std::fflush(stream_);
}

void TerminalProgress::Break() {
    if (lineOpen_) {
        std::fputc('\n', stream_);
        std::fflush(stream_);
        lineOpen_ = false;
    }
    shown_.clear();
}
