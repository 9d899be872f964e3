#pragma once

#include "MessageBoxes.h"

#include "recordset/Error.h"

#include <utility>

// Runs a command; a failure that it does not trap is shown in the error box
// and the program goes on. Our event handlers and signal handlers run their
// work through this, so that no exception ever unwinds through Qt's own code,
// which is not built to let one pass.
template <typename Command> void runGuarded(Command &&command)
{
    try {
        command();
    } catch (const std::exception &failure) {
        MessageBoxes::error(failure);
    } catch (...) {
        MessageBoxes::error(Error(QStringLiteral("Неизвестная ошибка")));
    }
}

// The same for a Qt signal: wraps a command into a handler that takes any arguments.
template <typename Command> auto guarded(Command command)
{
    return [command = std::move(command)](auto &&...) { runGuarded(command); };
}
