#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace virelo::cli {

// The exit codes of virelo-check: 0 when every check passed, 64 for a usage error, and one code
// for each layer that can fail; a run of several checks exits with the code of the first that
// failed.
namespace exitcode {
inline constexpr int kOk = 0;
inline constexpr int kNameResolution = 10;
inline constexpr int kEcho = 11;
inline constexpr int kService = 12;
inline constexpr int kListener = 13;
inline constexpr int kDriver = 14;  // the driver or the driver manager
inline constexpr int kLogin = 15;   // the server rejected the login
inline constexpr int kOther = 16;
inline constexpr int kNotTested = 17;  // a layer could not be tested, and no later layer passed
inline constexpr int kUsage = 64;
inline constexpr int kOutput = 74;  // the report could not be written
}  // namespace exitcode

// The outcome of one check: which layer it tested and on what, whether it passed, the layer's
// own code and SQLSTATE where there is one, one line in words, how long it took, and the lines
// the window's pane would show for it.
struct CheckResult {
    std::string layer;
    std::string target;
    bool ok = false;
    std::int64_t code = 0;
    std::string state;
    std::string message;
    std::int64_t elapsedMs = 0;
    std::vector<std::string> log;
    int exitCode = exitcode::kOther;  // exitcode::kOk when ok
    // Not tested at all (no echo request could be sent, say): not ok, exit code kNotTested, and
    // no verdict on the run when a later layer passes.
    bool skipped = false;
    // Failed, yet no verdict on the run: an echo that got no answer, on the way to the layers
    // that decide (many servers and firewalls drop echo requests).
    bool warning = false;
    // The run was interrupted while this check ran; its exit code is that of the interruption.
    bool interrupted = false;
};

// The exit code of a run: that of the first failed check (a warning does not count); else
// kNotTested when a check was skipped and no later one passed; else 0.
inline int ExitCodeOf(const std::vector<CheckResult>& results) {
    for (const CheckResult& result : results) {
        if (!result.ok && !result.skipped && !result.warning) {
            return result.exitCode;
        }
    }
    bool untested = false;
    for (const CheckResult& result : results) {
        untested = result.skipped || (untested && !result.ok);
    }
    return untested ? exitcode::kNotTested : exitcode::kOk;
}

// Receives each check as it starts and as it ends, so a report can be printed while a run goes
// on and a run that is interrupted can say where it was.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void started(const std::string& layer, const std::string& target) = 0;
    virtual void finished(const CheckResult& result) = 0;
};

}  // namespace virelo::cli
