#pragma once

#include "os/Types.h"

#include <optional>
#include <string>

// How the wait for a launched program ended.
struct TRunResult {
    // The program's exit code once it has ended; empty when the launch failed, when it handed
    // out no process, or when the code could not be read.
    std::optional<os::Dword> ExitCode = std::nullopt;
    // The application began terminating: the wait was given up and the program runs on alone.
    bool Abandoned = false;
};

// Launches `file` hidden through the shell with `parameters` and waits for the program to end,
// handling the window's messages meanwhile. The wait ends at once when the application is
// terminating.
TRunResult RunAndWait(const std::string& file, const std::string& parameters);
