#pragma once

#include "platform/Icmp.h"

namespace virelo::platform::win32 {

// The ICMP echo service of Windows (IcmpCreateFile, IcmpSendEcho, IcmpCloseHandle): the status
// numbers come from Windows itself.
class Win32Icmp : public Icmp {
public:
    bool sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                  EchoResult& result, std::string& openFailure) override;
};

}  // namespace virelo::platform::win32
