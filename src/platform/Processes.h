#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace virelo::platform {

// Environment variables set for a child process on top of the ones it inherits: name, value.
using Environment = std::vector<std::pair<std::string, std::string>>;

// What happens to what a child process writes on its standard output.
enum class ChildOutput {
    Inherit,  // it goes where the caller's goes
    Discard,  // it is thrown away, so that the caller's own output stays its own
};

// Starts external programs. A command line is never given to a shell.
class Processes {
public:
    virtual ~Processes() = default;
    // Starts the program named by the command line with the caller's environment (with `changes`
    // set on top of it) and current directory, then waits until it has ended. Returns 0 when it
    // was started (and has ended), otherwise the system error number (2 when the program cannot
    // be found).
    virtual std::int32_t runAndWait(const std::string& commandLine, const Environment& changes,
                                    ChildOutput output) = 0;
    std::int32_t runAndWait(const std::string& commandLine, const Environment& changes) {
        return runAndWait(commandLine, changes, ChildOutput::Inherit);
    }
    std::int32_t runAndWait(const std::string& commandLine) { return runAndWait(commandLine, {}); }
};

}  // namespace virelo::platform
