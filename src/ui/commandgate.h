#pragma once
// A user's command that opens a window (a dialog, a question, a file chooser)
// goes through the gate: while a measuring reading waits for the meter, the
// command runs once that reading has returned, so the window cannot hold the
// poll cycle and logging for as long as it stays open. Unset: at once.

#include <functional>
#include <utility>

using CommandGate = std::function<void(std::function<void()>)>;

inline void RunGated(const CommandGate& gate, std::function<void()> command)
{
    if (gate)
        gate(std::move(command));
    else
        command();
}
