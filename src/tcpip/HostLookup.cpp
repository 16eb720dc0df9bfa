#include <string>

#include "tcpip/TCPIP.h"

namespace virelo::tcpip {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string DottedAddress(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(bytes[i]);
    }
    return text;
}

bool TCPIP::InitSockets() {
    return sockets_.startup(0x0101) == 0;
}

void TCPIP::CleanupSockets() {
    sockets_.cleanup();
}

std::string TCPIP::GetLocalHostName(const std::string& logPath) {
    std::string raw;
    if (sockets_.hostName(raw) == -1) {
        general_.WriteLog(logPath, "gethostname", std::to_string(sockets_.lastError()));
        return {};
    }
    const std::string name = Trim(raw);
    general_.WriteLog(logPath, "gethostname",
                      name.empty() ? "No HostName Found!" : "HostName: " + name + " Retieved");
    return name;
}

HostInfo TCPIP::GetHostByNameInfo(const std::string& hostName, const std::string& logPath) {
    const auto entry = sockets_.hostByName(Trim(hostName));
    if (!entry) {
        general_.WriteLog(logPath, "gethostbyname", std::to_string(sockets_.lastError()));
        return {};
    }
    return Decode(*entry, "gethostbyname", logPath);
}

HostInfo TCPIP::GetHostByAddrInfo(const std::string& address, const std::string& logPath) {
    const auto entry = sockets_.hostByAddr(sockets_.inetAddr(address));
    if (!entry) {
        general_.WriteLog(logPath, "gethostbyaddr", std::to_string(sockets_.lastError()));
        return {};
    }
    return Decode(*entry, "gethostbyaddr", logPath);
}

HostInfo TCPIP::Decode(const platform::HostEntry& entry, const std::string& source,
                       const std::string& logPath) {
    HostInfo info;
    info.HostName = entry.name;
    general_.WriteLog(logPath, source,
                      info.HostName.empty() ? "Fully qualified HostName returned as blank??"
                                            : "Fully Qualified HostName: " + info.HostName);

    info.Aliases.emplace();
    for (const auto& alias : entry.aliases) {
        info.Aliases->push_back(Trim(alias));
    }
    info.Aliases->emplace_back();
    info.AliasCount = static_cast<std::int16_t>(entry.aliases.size());
    general_.WriteLog(logPath, source,
                      info.AliasCount == 0 ? "This Host has no Aliases" : "Host Aliases retrieved");

    info.Addresses.emplace();
    for (const auto& address : entry.addresses) {
        info.Addresses->push_back(DottedAddress(address));
    }
    info.Addresses->emplace_back();
    info.AddrCount = static_cast<std::int16_t>(entry.addresses.size());
    general_.WriteLog(
        logPath, source,
        info.AddrCount == 0 ? "This Host has no IP Address!" : "Host IP Address(s) retrieved");
    return info;
}

}  // namespace virelo::tcpip
