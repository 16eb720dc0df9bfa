#pragma once

#include <chrono>
#include <cstddef>
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

// What a short-lived program wrote and how its run ended.
struct CapturedRun {
    bool started = false;
    bool timedOut = false;  // it was still running when the time was up, and was ended
    std::string failure;    // why it could not be started
    std::string output;     // standard output and standard error as written, cut at the limit
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

    // Starts the program named by the command line with the caller's environment, standard input
    // empty, and collects what it writes on standard output and standard error (at most `limit`
    // bytes are kept); a program still running after `timeout` is ended. For short look-ups such
    // as a version, never for a run that the user waits for.
    virtual CapturedRun runCapturing(const std::string& /*commandLine*/,
                                     std::chrono::milliseconds /*timeout*/, std::size_t /*limit*/) {
        return {false, false, "programs cannot be run for their output on this system", {}};
    }
};

}  // namespace virelo::platform
