#pragma once

#include "platform/Terminal.h"

namespace virelo::platform::win32 {

// The console: a password is read from CONIN$ with its echo turned off (SetConsoleMode), the
// prompt written to CONOUT$, so neither passes through the program's own output.
//
// Interruptions come from the console's control handler (SetConsoleCtrlHandler), which Windows
// calls on a thread of its own: Ctrl-C and Ctrl-Break end the program with 130, the console's
// closing, the user's logging off and the system's shutting down with 143, the exit codes of
// SIGINT and SIGTERM on POSIX systems, so scripts read the same codes on both. The name of an
// interruption is that of its console event ("CTRL_C_EVENT", "CTRL_CLOSE_EVENT", ...).
class Win32Terminal : public Terminal {
public:
    Win32Terminal() = default;
    // Gives the console output back the mode it had before colours were turned on.
    ~Win32Terminal() override;
    Win32Terminal(const Win32Terminal&) = delete;
    Win32Terminal& operator=(const Win32Terminal&) = delete;

    bool interactive() override;
    std::optional<std::string> readHidden(const std::string& prompt) override;
    // Windows raises no signal for a write to a closed pipe: the write fails, and the caller
    // reports it. Nothing needs to change.
    void keepRunningOnBrokenOutput() override {}
    // True when standard output is a console that shows colours: its escape sequences are
    // turned on (ENABLE_VIRTUAL_TERMINAL_PROCESSING), which consoles before Windows 10 refuse.
    bool outputIsTerminal() override;
    void onInterrupt(std::function<void(const Interruption&)> handler) override;

private:
    void* colouredOutput_ = nullptr;  // the console output whose mode was changed, if any
    unsigned long savedOutputMode_ = 0;
};

}  // namespace virelo::platform::win32
