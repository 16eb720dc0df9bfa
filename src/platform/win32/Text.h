#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace virelo::platform::win32 {

// The program keeps its text in UTF-8 and talks to Windows through the wide-character calls;
// these are the only conversions. Where Windows has only a narrow call (the Windows Sockets
// look-ups), text crosses in the system's ANSI code page.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
std::string Ansi(std::string_view utf8);
std::string Utf8FromAnsi(std::string_view ansi);

// The system's own words for an error number (GetLastError, WSAGetLastError), without the line
// end that Windows puts after them, and the number in parentheses.
std::string SystemErrorText(std::uint32_t error);

}  // namespace virelo::platform::win32
