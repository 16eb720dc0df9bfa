#pragma once

#include "platform/Processes.h"

namespace virelo::platform::win32 {

// CreateProcessW with the command line as it is (Windows programs split it themselves, by the
// rules that SplitCommandLine follows), the caller's environment with the changes on top, and
// WaitForSingleObject without a time limit. A run for its output goes through a piped child,
// whose reads are bounded.
class Win32Processes : public Processes {
public:
    std::int32_t runAndWait(const std::string& commandLine, const Environment& changes,
                            ChildOutput output) override;
    CapturedRun runCapturing(const std::string& commandLine, std::chrono::milliseconds timeout,
                             std::size_t limit) override;
};

}  // namespace virelo::platform::win32
