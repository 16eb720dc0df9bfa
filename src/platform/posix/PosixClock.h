#pragma once

#include "platform/Clock.h"

namespace virelo::platform::posix {

// The local time of day in the 12-hour form "h:mm:ss AM", which is what a workstation without
// regional settings of its own shows.
class PosixClock : public Clock {
public:
    std::string timeOfDay() override;
};

}  // namespace virelo::platform::posix
