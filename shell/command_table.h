#pragma once
// CommandTable: the desktop program's commands, each an id with its handler
// and the rule that says when it is enabled. Keys, menu items and buttons all
// run commands through it, so a command that is greyed cannot be reached by
// any of them.
#include <functional>
#include <vector>

class CommandTable {
public:
    using Handler = std::function<void()>;
    using EnabledRule = std::function<bool()>;

    // Adds a command; a later entry with the same id replaces the earlier one.
    void Add(unsigned id, Handler handler, EnabledRule enabled);
    bool Has(unsigned id) const { return Find(id) != nullptr; }
    // False for an unknown command.
    bool IsEnabled(unsigned id) const;
    // Runs the command when it is known and enabled; says whether it ran.
    bool Run(unsigned id) const;

private:
    struct Command {
        unsigned id;
        Handler handler;
        EnabledRule enabled;
    };
    const Command* Find(unsigned id) const;

    std::vector<Command> commands_;
};
