#pragma once
// The signals that end a command, caught for the length of a run (SIGINT,
// SIGTERM, SIGHUP when the terminal goes, SIGPIPE when the reader of the
// output does), so that the run can end its document processes and remove
// what they left half-written before it exits, instead of dying with them
// still running.
class RunInterruption {
public:
    // Catches the signals until destroyed.
    RunInterruption();
    ~RunInterruption();
    RunInterruption(const RunInterruption&) = delete;
    RunInterruption& operator=(const RunInterruption&) = delete;

    // Becomes readable once a signal has come: a run waiting with poll()
    // wakes up for it.
    int Channel() const;
    // The signal that came first, 0 while none has.
    int Signal() const;
};
