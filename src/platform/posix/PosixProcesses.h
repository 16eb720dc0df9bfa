#pragma once

#include "platform/Processes.h"

namespace virelo::platform::posix {

// Splits the command line by the Windows rules and starts the program with posix_spawnp: the
// program is looked up on PATH and no shell ever sees the text.
class PosixProcesses : public Processes {
public:
    using Processes::runAndWait;
    std::int32_t runAndWait(const std::string& commandLine, const Environment& changes,
                            ChildOutput output) override;
    CapturedRun runCapturing(const std::string& commandLine, std::chrono::milliseconds timeout,
                             std::size_t limit) override;
};

}  // namespace virelo::platform::posix
