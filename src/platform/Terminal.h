#pragma once

#include <optional>
#include <string>

namespace virelo::platform {

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
};

}  // namespace virelo::platform
