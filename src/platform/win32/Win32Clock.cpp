#include "platform/win32/Win32Clock.h"

#include <windows.h>

#include "platform/win32/Text.h"

namespace virelo::platform::win32 {

std::string Win32Clock::timeOfDay() {
    wchar_t text[64] = {};
    const int n = ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, nullptr, nullptr, text, 64);
    return n > 1 ? Utf8(std::wstring_view(text, static_cast<std::size_t>(n - 1))) : std::string();
}

}  // namespace virelo::platform::win32
