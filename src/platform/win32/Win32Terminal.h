#pragma once

#include "platform/Terminal.h"

namespace virelo::platform::win32 {

// The console: a password is read from CONIN$ with its echo turned off (SetConsoleMode), the
// prompt written to CONOUT$, so neither passes through the program's own output.
class Win32Terminal : public Terminal {
public:
    bool interactive() override;
    std::optional<std::string> readHidden(const std::string& prompt) override;
    // Windows raises no signal for a write to a closed pipe: the write fails, and the caller
    // reports it. Nothing needs to change.
    void keepRunningOnBrokenOutput() override {}
};

}  // namespace virelo::platform::win32
