// What the connection tester tells about an open connection and about the machine it runs on.
#include <algorithm>
#include <cstring>
#include <optional>

#include "complus/LocalConnectionTester.h"
#include "general/Error.h"
#include "serverdir/RegAccess.h"

namespace virelo::complus {
namespace {

enum class InfoKind { Text, YesNo, Number16 };

struct InfoProperty {
    const char* name;
    SQLUSMALLINT type;
    InfoKind kind;
};

// The properties of an open connection, in the order they are listed.
constexpr InfoProperty kInfo[] = {
    {"Data Source Name", SQL_DATA_SOURCE_NAME, InfoKind::Text},
    {"DBMS Name", SQL_DBMS_NAME, InfoKind::Text},
    {"DBMS Version", SQL_DBMS_VER, InfoKind::Text},
    {"Driver Name", SQL_DRIVER_NAME, InfoKind::Text},
    {"Driver Version", SQL_DRIVER_VER, InfoKind::Text},
    {"Driver ODBC Version", SQL_DRIVER_ODBC_VER, InfoKind::Text},
    {"Driver Manager ODBC Version", SQL_ODBC_VER, InfoKind::Text},
    {"User Name", SQL_USER_NAME, InfoKind::Text},
    {"Current Catalog", SQL_DATABASE_NAME, InfoKind::Text},
    {"Server Name", SQL_SERVER_NAME, InfoKind::Text},
    {"Read-Only Data Source", SQL_DATA_SOURCE_READ_ONLY, InfoKind::YesNo},
    {"Identifier Quote Char", SQL_IDENTIFIER_QUOTE_CHAR, InfoKind::Text},
    {"Maximum Identifier Length", SQL_MAX_IDENTIFIER_LEN, InfoKind::Number16},
    {"Active Sessions", SQL_MAX_DRIVER_CONNECTIONS, InfoKind::Number16},
};

// One SQLGetInfo answer as a property value; nothing when the driver does not answer.
std::optional<PropertyValue> Answer(SQLHANDLE dbc, const InfoProperty& info) {
    if (info.kind == InfoKind::Number16) {
        SQLUSMALLINT number = 0;
        if (!SQL_SUCCEEDED(SQLGetInfo(dbc, info.type, &number, sizeof number, nullptr))) {
            return std::nullopt;
        }
        return PropertyValue(static_cast<std::int64_t>(number));
    }
    SQLCHAR text[1024] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc, info.type, text, sizeof text, &length))) {
        return std::nullopt;
    }
    const std::string value(reinterpret_cast<const char*>(text),
                            strnlen(reinterpret_cast<const char*>(text), sizeof text));
    if (info.kind == InfoKind::YesNo) {
        return PropertyValue(value == "Y");
    }
    return PropertyValue(value);
}

NameTable Names(const std::vector<std::string>& names) {
    NameTable table(1, static_cast<int>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        table.at(1, static_cast<int>(i) + 1) = names[i];
    }
    return table;
}

std::string Text(const SQLCHAR* buffer, SQLSMALLINT length, std::size_t size) {
    return std::string(
        reinterpret_cast<const char*>(buffer),
        std::min<std::size_t>(static_cast<std::size_t>(std::max<int>(length, 0)), size - 1));
}

}  // namespace

std::vector<Property> LocalConnectionTester::ConnectionProperties() {
    if (!properties_) {
        throw Error(3704, kSource, "Operation is not allowed when the object is closed");
    }
    return *properties_;
}

std::vector<Property> LocalConnectionTester::ReadProperties(SQLHANDLE dbc) {
    std::vector<Property> properties{{"Provider", std::string("MSDASQL")}};
    for (const InfoProperty& info : kInfo) {
        if (auto value = Answer(dbc, info)) {
            properties.push_back({info.name, std::move(*value)});
        }
    }
    return properties;
}

NameTable LocalConnectionTester::OdbcDriverList() {
    SQLHANDLE env = environment();
    std::vector<std::string> names;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLCHAR name[512] = {};
        SQLCHAR attributes[2048] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc = SQLDrivers(env, direction, name, sizeof name, &nameLength, attributes,
                                        sizeof attributes, &attributesLength);
        if (!SQL_SUCCEEDED(rc)) {
            break;
        }
        names.push_back(Text(name, nameLength, sizeof name));
        direction = SQL_FETCH_NEXT;
    }
    return Names(names);
}

NameTable LocalConnectionTester::DataSources(SQLUSMALLINT firstDirection) {
    SQLHANDLE env = environment();
    std::vector<std::string> names;
    SQLUSMALLINT direction = firstDirection;
    for (;;) {
        SQLCHAR name[SQL_MAX_DSN_LENGTH + 256] = {};
        SQLCHAR description[1024] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN rc = SQLDataSources(env, direction, name, sizeof name, &nameLength,
                                            description, sizeof description, &descriptionLength);
        if (!SQL_SUCCEEDED(rc)) {
            break;
        }
        names.push_back(Text(name, nameLength, sizeof name));
        direction = SQL_FETCH_NEXT;
    }
    return Names(names);
}

NameTable LocalConnectionTester::UserDsnList() {
    return DataSources(SQL_FETCH_FIRST_USER);
}

NameTable LocalConnectionTester::SystemDsnList() {
    return DataSources(SQL_FETCH_FIRST_SYSTEM);
}

NameTable LocalConnectionTester::OleDbProviderList() {
    // The one provider served: the ODBC bridge, which reaches every ODBC driver listed.
    return Names({"MSDASQL"});
}

std::vector<ServerItem> LocalConnectionTester::ServerList() {
    std::vector<ServerItem> items;
    const ServerEntryCollection entries = ServerEntries();
    for (std::size_t i = 0; i < entries.Count(); ++i) {
        items.push_back({entries.Key(i)});
    }
    return items;
}

ServerEntryCollection LocalConnectionTester::ServerEntries() {
    using serverdir::ServerTable;
    const ServerTable table = serverdir::RegAccess(registry_).GetSqlhostsServers();
    ServerEntryCollection entries;
    for (int column = 0; column <= table.UpperBound(); ++column) {
        const std::string& name = table.at(ServerTable::kName, column);
        if (name.empty()) {
            continue;  // the empty columns after the entries
        }
        entries.Add(
            name,
            {name, table.at(ServerTable::kHost, column), table.at(ServerTable::kProtocol, column),
             table.at(ServerTable::kService, column), table.at(ServerTable::kOptions, column)});
    }
    return entries;
}

std::string LocalConnectionTester::MachineName() {
    return network_.machineName();
}

}  // namespace virelo::complus
