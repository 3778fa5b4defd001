#pragma once
// What the engine shows a person goes through these two interfaces; the
// desktop program and the command line each implement them.
#include <string>

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // A message with one OK button; returns once it has been acknowledged.
    virtual void ShowMessage(const std::string& text) = 0;
    // A message that says something went wrong, which a window marks as an
    // error; elsewhere it is a message like any other.
    virtual void ShowError(const std::string& text) { ShowMessage(text); }
};

// The two indicators of a run: Total (documents) and Current (pages), each a
// text and a position from 0 to 100.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetTotal(const std::string& text, int position) = 0;
    virtual void SetCurrent(const std::string& text, int position) = 0;
};
