#pragma once

#include "platform/Terminal.h"

namespace virelo::platform::posix {

class PosixTerminal : public Terminal {
public:
    bool interactive() override;
    std::optional<std::string> readHidden(const std::string& prompt) override;
    void keepRunningOnBrokenOutput() override;
};

}  // namespace virelo::platform::posix
