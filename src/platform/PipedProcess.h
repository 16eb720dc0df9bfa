#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace virelo::platform {

// What a transfer to or from a piped child ended with.
enum class PipeStatus {
    Ok,
    Closed,    // the child closed its end (it ended, or it will read or write no more)
    TimedOut,  // the deadline passed first
    Failed,    // any other failure, or a line longer than the limit
};

// A child process whose standard input and output are connected to this program, for a
// conversation in lines; what it writes to its error output is kept (its last few kilobytes) so
// that its own words can explain a failure. Every transfer waits at most until a deadline, so a
// child that hangs never blocks the caller for longer than the caller chose. Destroying the
// object ends the child: its input is closed, and whatever is still running after a short grace
// is ended by force, with every process it started.
class PipedProcess {
public:
    using Deadline = std::chrono::steady_clock::time_point;
    virtual ~PipedProcess() = default;

    // Writes all of `text` to the child's standard input.
    virtual PipeStatus write(std::string_view text, Deadline deadline) = 0;
    // Reads one line of the child's standard output, without its line feed.
    virtual PipeStatus readLine(std::string& line, Deadline deadline) = 0;
    // Closes the child's input, waits until the deadline for it to end, then ends it by force.
    // Returns its exit code; -1 when it was ended by force or by a signal.
    virtual int finish(Deadline deadline) = 0;
    // The end of what the child wrote to its error output so far.
    virtual std::string errorOutput() const = 0;
};

// What every platform's readLine does first with what it has read so far: takes a whole line out
// of `pending` (without its line feed and a carriage return before it) and gives Ok, gives Failed
// when no line ends within the limit (a runaway child, not an answer), else nothing.
inline std::optional<PipeStatus> TakeLine(std::string& pending, std::string& line) {
    constexpr std::size_t kLineLimit = 16u << 20;
    const auto end = pending.find('\n');
    if (end == std::string::npos) {
        return pending.size() > kLineLimit ? std::optional(PipeStatus::Failed) : std::nullopt;
    }
    line = pending.substr(0, end > 0 && pending[end - 1] == '\r' ? end - 1 : end);
    pending.erase(0, end + 1);
    return PipeStatus::Ok;
}

// The outcome of starting a piped child: the child, or the system error number and the system's
// own words for it when it could not be started (2 when the program cannot be found).
struct PipedStart {
    std::unique_ptr<PipedProcess> process;
    std::int32_t error = 0;
    std::string reason;
};

// Starts the program argv[0] (looked up on PATH) with the argument vector as it is: no shell
// ever sees it. The child inherits the caller's environment without the variables named in
// `withheld`.
PipedStart StartPipedProcess(const std::vector<std::string>& argv,
                             const std::vector<std::string>& withheld);

}  // namespace virelo::platform
