#pragma once

#include "platform/Icmp.h"

namespace virelo::platform::win32 {

// The ICMP echo service of Windows (IcmpCreateFile, IcmpSendEcho, IcmpCloseHandle; for IPv6
// Icmp6CreateFile and Icmp6SendEcho2): the status numbers come from Windows itself.
class Win32Icmp : public Icmp {
public:
    bool sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                  EchoResult& result, std::string& openFailure) override;
    bool sendEcho6(const std::array<std::uint8_t, 16>& address, std::string_view data,
                   std::uint32_t timeoutMs, EchoResult& result, std::string& openFailure) override;
};

// The status of an ICMPv6 echo as Windows gives it, as the status of the IPv4 counterpart that
// the POSIX systems report for the same ICMPv6 message: Windows' own IPv6 numbers (a prohibited
// or out-of-scope destination, a time or header problem without a finer kind) become the IPv4
// numbers, so a log reads the same on every system.
std::int32_t EchoStatus6(unsigned long windowsStatus);

}  // namespace virelo::platform::win32
