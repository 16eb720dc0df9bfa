#pragma once

#include <cstdint>
#include <string>

namespace virelo::platform {

// Starts external programs. A command line is never given to a shell.
class Processes {
public:
    virtual ~Processes() = default;
    // Starts the program named by the command line with the caller's environment and current
    // directory, then waits until it has ended. Returns 0 when it was started (and has ended),
    // otherwise the system error number (2 when the program cannot be found).
    virtual std::int32_t runAndWait(const std::string& commandLine) = 0;
};

}  // namespace virelo::platform
