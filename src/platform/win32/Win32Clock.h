#pragma once

#include "platform/Clock.h"

namespace virelo::platform::win32 {

// The time of day in the user's regional time format (GetTimeFormatEx).
class Win32Clock : public Clock {
public:
    std::string timeOfDay() override;
};

}  // namespace virelo::platform::win32
