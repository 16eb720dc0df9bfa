#pragma once

// What the Windows tests share: a program run with its output captured, a loopback listener, a
// private directory, an environment variable set for one test, and the switch that allows a
// test to write the registry or to send to addresses outside loopback.
#include <windows.h>
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/win32/Text.h"

namespace virelo::test {

// Runs a command line (no shell) and waits for it: its exit code and what it wrote on standard
// output and standard error, together.
struct Ran {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
};

inline Ran RunCaptured(const std::string& commandLine) {
    Ran ran;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return ran;
    }
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    std::wstring line = platform::win32::Wide(commandLine);
    const BOOL started = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          nullptr, &startup, &process);
    ::CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        DWORD n = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) {
            ran.out.append(buffer, n);
        }
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::GetExitCodeProcess(process.hProcess, &ran.exitCode);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    ::CloseHandle(readEnd);
    return ran;
}

// Sets an environment variable (or removes it) for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const std::optional<std::string>& value)
        : name_(platform::win32::Wide(name)) {
        wchar_t old[32768];
        const DWORD n = ::GetEnvironmentVariableW(name_.c_str(), old, 32768);
        if (n > 0 || ::GetLastError() != ERROR_ENVVAR_NOT_FOUND) {
            old_ = std::wstring(old, n);
        }
        Set(value ? std::optional(platform::win32::Wide(*value)) : std::nullopt);
    }
    ~ScopedEnv() { Set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const std::optional<std::wstring>& value) {
        ::SetEnvironmentVariableW(name_.c_str(), value ? value->c_str() : nullptr);
    }
    std::wstring name_;
    std::optional<std::wstring> old_;
};

// A private directory under the temporary directory, removed with its content at the end.
class TempDir {
public:
    TempDir() {
        const auto base = std::filesystem::temp_directory_path();
        for (unsigned i = ::GetTickCount();; ++i) {
            path_ = base / ("virelo-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                            std::to_string(i));
            if (std::filesystem::create_directory(path_)) {
                break;
            }
        }
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A TCP listener on 127.0.0.1 with a port of its own: connections complete in its backlog
// without being accepted. Closing it leaves a port that refuses.
class Listener {
public:
    Listener() {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int length = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(socket_, 8) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ::ntohs(address.sin_port);
        }
    }
    ~Listener() {
        close();
        ::WSACleanup();
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    std::uint16_t port() const { return port_; }
    void close() {
        if (socket_ != INVALID_SOCKET) {
            ::closesocket(socket_);
            socket_ = INVALID_SOCKET;
        }
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
};

// Set by scripts/test-windows.sh, which runs the tests in a throw-away Wine prefix inside a
// private network namespace: only there may a test rewrite HKEY_LOCAL_MACHINE's server directory
// or send to an address outside loopback.
inline bool InPrivatePrefix() {
    return std::getenv("VIRELO_PRIVATE_WINE_PREFIX") != nullptr;
}

#define VIRELO_REQUIRE_PRIVATE_PREFIX()                                                        \
    if (!::virelo::test::InPrivatePrefix())                                                    \
    GTEST_SKIP() << "rewrites the registry's server directory: runs only in the private Wine " \
                    "prefix of scripts/test-windows.sh"

// A registry key written with the registry editor of the command line (reg.exe), as an
// administrator would; true when reg.exe succeeded.
inline bool RegAdd(const std::string& key, const std::string& name, const std::string& type,
                   const std::string& data) {
    const Ran ran = RunCaptured("reg add \"" + key + "\" /v \"" + name + "\" /t " + type +
                                " /d \"" + data + "\" /f");
    return ran.exitCode == 0;
}

// Keys and values in the form of a registry export ("Windows Registry Editor Version 5.00"
// and the lines after it, CR LF added), imported with reg.exe: one program run for many values.
inline bool RegImport(const std::string& lines) {
    const TempDir dir;
    const std::wstring text =
        platform::win32::Wide("Windows Registry Editor Version 5.00\r\n\r\n" + lines);
    std::ofstream out(std::filesystem::path(dir.file("import.reg")), std::ios::binary);
    out << "\xFF\xFE";  // UTF-16LE
    out.write(reinterpret_cast<const char*>(text.data()),
              static_cast<std::streamsize>(text.size() * sizeof(wchar_t)));
    out.close();
    return RunCaptured("reg import \"" + dir.file("import.reg") + "\"").exitCode == 0;
}

// The bytes of text in UTF-16LE as an export writes them: "25,00,54,00,...".
inline std::string HexUtf16(const std::wstring& text) {
    std::string hex;
    char byte[4];
    for (const wchar_t unit : text) {
        for (const unsigned value : {unit & 0xFFu, (unit >> 8) & 0xFFu}) {
            std::snprintf(byte, sizeof byte, "%02x", value);
            hex += (hex.empty() ? "" : ",") + std::string(byte);
        }
    }
    return hex;
}

inline void RegDelete(const std::string& key) {
    RunCaptured("reg delete \"" + key + "\" /f");
}

}  // namespace virelo::test
