#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/SystemFacts.h"
#include "platform/win32/Text.h"

namespace virelo::platform {
namespace {

std::string ComputerName(COMPUTER_NAME_FORMAT format) {
    DWORD size = 0;
    ::GetComputerNameExW(format, nullptr, &size);
    std::wstring name(size, L'\0');
    if (size == 0 || !::GetComputerNameExW(format, name.data(), &size)) {
        return {};
    }
    name.resize(size);
    return win32::Utf8(name);
}

// A text value under HKEY_LOCAL_MACHINE, empty when it cannot be read.
std::string MachineText(const wchar_t* key, const wchar_t* value) {
    DWORD size = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t)) {
        return {};
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, value, RRF_RT_REG_SZ, nullptr, text.data(),
                       &size) != ERROR_SUCCESS) {
        return {};
    }
    text.resize(::wcsnlen(text.c_str(), text.size()));
    return win32::Utf8(text);
}

// The running system's own version (GetVersionEx answers what the program's manifest allows it
// to see; ntdll's RtlGetVersion answers the truth).
std::string KernelVersion() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto get = ntdll != nullptr ? reinterpret_cast<GetVersion>(reinterpret_cast<void*>(
                                            ::GetProcAddress(ntdll, "RtlGetVersion")))
                                      : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (get == nullptr || get(&info) != 0) {
        return {};
    }
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
           std::to_string(info.dwBuildNumber);
}

std::string ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), path.size());
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return win32::Utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

// The file version that a library's version resource states, "3.80.0.0"; empty without one.
std::string FileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::string data(size, '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr || length < sizeof *fixed) {
        return {};
    }
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

}  // namespace

LocalTime Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_s(&local, &now);
    // The offset from UTC: the local reading taken as if it were UTC, less the real instant.
    const long offset = static_cast<long>(::_mkgmtime(&local) - now) / 60;
    char iso[40];
    char compact[24];
    std::strftime(iso, sizeof iso, "%Y-%m-%dT%H:%M:%S", &local);
    std::strftime(compact, sizeof compact, "%Y%m%d-%H%M%S", &local);
    char zone[8];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+',
                  std::labs(offset) / 60, std::labs(offset) % 60);
    return {std::string(iso) + zone, compact};
}

MachineFacts ReadMachineFacts() {
    MachineFacts facts;
    // Both names are the machine's own settings: no name server is asked.
    facts.hostName = ComputerName(ComputerNameDnsHostname);
    facts.qualifiedName = ComputerName(ComputerNameDnsFullyQualified);
    facts.operatingSystem =
        MachineText(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"ProductName");
    if (facts.operatingSystem.empty()) {
        facts.operatingSystem = "Windows";
    }
    facts.kernelRelease = KernelVersion();
    return facts;
}

std::vector<std::string> EnvironmentNames() {
    std::vector<std::string> names;
    wchar_t* block = ::GetEnvironmentStringsW();
    if (block == nullptr) {
        return names;
    }
    for (const wchar_t* entry = block; *entry != L'\0'; entry += ::wcslen(entry) + 1) {
        const std::wstring text = entry;
        // Entries such as "=C:=C:\work" are the command processor's, not variables.
        if (text.front() != L'=') {
            names.push_back(win32::Utf8(text.substr(0, text.find(L'='))));
        }
    }
    ::FreeEnvironmentStringsW(block);
    return names;
}

DriverManagerLibrary OdbcDriverManagerLibrary() {
    // The program is linked with odbc32: it is loaded whenever the program runs.
    return {"odbc32", ModulePath(::GetModuleHandleW(L"odbc32.dll"))};
}

DriverLibrary FindDriverLibrary(const std::string& named) {
    if (named.empty()) {
        return {};
    }
    // A bare file name is looked for where a loaded library would be: the program's directory,
    // the system directories, then PATH.
    const std::wstring name = win32::Wide(named);
    std::wstring found(MAX_PATH, L'\0');
    const DWORD length =
        ::SearchPathW(nullptr, name.c_str(), nullptr, found.size(), found.data(), nullptr);
    if (length == 0 || length >= found.size()) {
        return {};
    }
    found.resize(length);
    const DWORD attributes = ::GetFileAttributesW(found.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {};
    }
    return {win32::Utf8(found), FileVersion(found)};
}

}  // namespace virelo::platform
