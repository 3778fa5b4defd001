#pragma once
// Progress of a run on standard error: one line redrawn in place on a
// terminal, one line per change when asked for elsewhere, nothing otherwise.
#include "engine/settings/user_feedback.h"

#include <cstdio>

class TerminalProgress : public ProgressSink {
public:
    // enabled: whether to print at all; inPlace: redraw one line (a terminal).
    TerminalProgress(FILE* stream, bool enabled, bool inPlace);
    ~TerminalProgress() override;

    void SetTotal(const std::string& text, int position) override;
    void SetCurrent(const std::string& text, int position) override;
    // Ends the progress line so that other output starts on a fresh line.
    void Break();

private:
    void Redraw();

    FILE* stream_;
    bool enabled_;
    bool inPlace_;
    bool lineOpen_ = false;
    std::string total_;
    std::string current_;
    std::string shown_;
};
