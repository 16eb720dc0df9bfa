#pragma once

#include "platform/Processes.h"

namespace virelo::platform::win32 {

// CreateProcessW with the command line as it is (Windows programs split it themselves, by the
// rules that SplitCommandLine follows), the caller's environment with the changes on top, and
// WaitForSingleObject without a time limit.
class Win32Processes : public Processes {
public:
    std::int32_t runAndWait(const std::string& commandLine, const Environment& changes,
                            ChildOutput output) override;
};

}  // namespace virelo::platform::win32
