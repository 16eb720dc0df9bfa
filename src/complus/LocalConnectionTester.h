#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "complus/ConnectionTester.h"
#include "complus/OdbcHandles.h"
#include "platform/Network.h"
#include "platform/Registry.h"

namespace virelo::complus {

// The connection tester of this system, in process, over the ODBC driver manager (unixODBC).
// It serves ODBC connection strings, with no Provider keyword or with the ODBC bridge's
// (Provider=MSDASQL), through SQLDriverConnect; any other provider fails with error 3706 and
// says which ways of the COM+ tab it serves. Connect reads the properties of the connection it
// opened and closes it again, so no session stays open on the server. Its lists come from the
// driver manager (drivers, data sources) and from the server directory of the registry view
// (servers). Nothing it returns or raises holds a password: every text that may echo a connection
// string is masked.
class LocalConnectionTester : public ConnectionTester {
public:
    static constexpr const char* kSource = "VireloOLELib.ConnectionTester";
    static constexpr std::int32_t kProviderNotFound = 3706;
    static constexpr std::chrono::seconds kDefaultLoginTimeout{15};

    LocalConnectionTester(platform::Network& network, platform::Registry& registry,
                          std::chrono::seconds loginTimeout = kDefaultLoginTimeout);

    std::string ResultText() override { return resultText_; }
    std::vector<Property> ConnectionProperties() override;
    std::int32_t ErrorNumber() override { return errorNumber_; }
    std::string ErrorDescription() override { return errorDescription_; }
    NameTable OdbcDriverList() override;
    NameTable UserDsnList() override;
    NameTable SystemDsnList() override;
    NameTable OleDbProviderList() override;
    std::vector<ServerItem> ServerList() override;
    std::string MachineName() override;
    void Connect(const std::string& connectionString, bool& success) override;
    ServerEntryCollection ServerEntries() override;

private:
    SQLHANDLE environment();
    bool OpenConnection(const std::string& odbcString, const std::string& password);
    static std::vector<Property> ReadProperties(SQLHANDLE dbc);
    NameTable DataSources(SQLUSMALLINT firstDirection);
    void Fail(std::int32_t number, const std::string& description);

    platform::Network& network_;
    platform::Registry& registry_;
    std::chrono::seconds loginTimeout_;
    OdbcHandle environment_;
    // The properties of the latest connection, read before it was closed; none after a failure.
    std::optional<std::vector<Property>> properties_;
    std::string resultText_;
    std::int32_t errorNumber_ = 0;
    std::string errorDescription_;
};

}  // namespace virelo::complus
