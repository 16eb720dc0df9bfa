#pragma once

#include <cstdint>
#include <string>

namespace virelo::serverdir {

// The native-connect component: attempts one connection to a database server with the seven
// texts of the Native Connect tab and reports the outcome as an SQL code and an SQLSTATE. Any
// operation may raise a virelo::Error instead (number, source, description).
class NativeConnector {
public:
    virtual ~NativeConnector() = default;

    // Attempts one connection; afterwards SqlCode and SqlState describe it.
    virtual void PingServer(const std::string& server, const std::string& host,
                            const std::string& service, const std::string& protocol,
                            const std::string& user, const std::string& password,
                            const std::string& database) = 0;
    // 0 when the last PingServer connected, otherwise the (negative) SQL code of the failure.
    virtual std::int32_t SqlCode() = 0;
    // The SQLSTATE of the last PingServer.
    virtual std::string SqlState() = 0;
};

}  // namespace virelo::serverdir
