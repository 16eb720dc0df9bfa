#include "platform/win32/Text.h"

#include <windows.h>

namespace virelo::platform::win32 {
namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string FromWide(UINT codePage, std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        ::WideCharToMultiByte(codePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(codePage, 0, wide.data(), length, text.data(), needed, nullptr, nullptr);
    return text;
}

}  // namespace

std::wstring Wide(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::string Utf8(std::wstring_view wide) {
    return FromWide(CP_UTF8, wide);
}

std::string Ansi(std::string_view utf8) {
    return FromWide(CP_ACP, Wide(utf8));
}

std::string Utf8FromAnsi(std::string_view ansi) {
    return Utf8(ToWide(CP_ACP, ansi));
}

std::string SystemErrorText(std::uint32_t error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) {
        text = Utf8(std::wstring_view(buffer, length));
        ::LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = "error";
    }
    return text + " (" + std::to_string(error) + ")";
}

}  // namespace virelo::platform::win32
