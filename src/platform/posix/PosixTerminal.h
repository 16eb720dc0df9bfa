#pragma once

#include "platform/Terminal.h"

namespace virelo::platform::posix {

class PosixTerminal : public Terminal {
public:
    bool interactive() override;
    std::optional<std::string> readHidden(const std::string& prompt) override;
    void keepRunningOnBrokenOutput() override;
    bool outputIsTerminal() override;
    // The signals are noted by a handler that writes their number into a pipe; a watcher thread
    // reads it and calls `handler` there, where anything may be done.
    void onInterrupt(std::function<void(const Interruption&)> handler) override;
};

}  // namespace virelo::platform::posix
