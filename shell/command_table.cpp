#include "shell/command_table.h"

void CommandTable::Add(unsigned id, Handler handler, EnabledRule enabled) {
    for (Command& command : commands_)
        if (command.id == id) {
            command = {id, std::move(handler), std::move(enabled)};
            return;
        }
    commands_.push_back({id, std::move(handler), std::move(enabled)});
}

const CommandTable::Command* CommandTable::Find(unsigned id) const {
    for (const Command& command : commands_)
        if (command.id == id)
            return &command;
    return nullptr;
}

bool CommandTable::IsEnabled(unsigned id) const {
    const Command* command = Find(id);
    return command && (!command->enabled || command->enabled());
}

bool CommandTable::Run(unsigned id) const {
    if (!IsEnabled(id))
        return false;
    // A copy: the handler may replace the table's entries while it runs.
    const Handler handler = Find(id)->handler;
    handler();
    return true;
}
