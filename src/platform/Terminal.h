#pragma once

#include <functional>
#include <optional>
#include <string>

namespace virelo::platform {

// A request from outside to stop: Ctrl-C (SIGINT, exit code 130) or an order to end (SIGTERM,
// 143), with the exit code that shells expect after it.
struct Interruption {
    int exitCode = 130;
    std::string name;  // "SIGINT", "SIGTERM"
};

// The terminal a command-line program talks to.
class Terminal {
public:
    virtual ~Terminal() = default;
    // True when standard input is a terminal, so a person can be asked.
    virtual bool interactive() = 0;
    // Shows the prompt on the terminal and reads one line without showing what is typed;
    // nothing when the terminal cannot be read.
    virtual std::optional<std::string> readHidden(const std::string& prompt) = 0;
    // Makes a write to a closed pipe or a closed output fail instead of ending the program, so
    // the failure can be reported.
    virtual void keepRunningOnBrokenOutput() = 0;
    // True when standard output is a terminal (so that colours may be used).
    virtual bool outputIsTerminal() = 0;
    // From now on an interruption no longer ends the program at once: `handler` is called on a
    // thread of its own, while the program's work goes on, and is expected to end the program.
    virtual void onInterrupt(std::function<void(const Interruption&)> handler) = 0;
};

}  // namespace virelo::platform
