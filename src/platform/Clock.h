#pragma once

#include <string>

namespace virelo::platform {

// The time of day as the workstation shows it, for log lines.
class Clock {
public:
    virtual ~Clock() = default;
    // For example "3:04:05 PM"; no date.
    virtual std::string timeOfDay() = 0;
};

}  // namespace virelo::platform
