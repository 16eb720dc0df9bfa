#pragma once

#include <iosfwd>
#include <nlohmann/json_fwd.hpp>
#include <string>

#include "complus/ConnectionTester.h"

// The line protocol between the window (or virelo-check) and a connection tester on another
// machine, spoken over the standard input and output of `virelo-check serve-tester`. Each
// message is one JSON object on one line. The caller speaks first:
//
//   {"op":"hello","protocol":"virelo-tester","version":1}
//   -> {"protocol":"virelo-tester","version":1}     (with "error" when the versions differ)
//
// then one request per operation of the connection tester, named as the operation, and one
// answer each:
//
//   {"op":"Connect","connectionString":"DSN=Sales;UID=u;PWD=..."}  -> {"result":true}
//   {"op":"ConnectionProperties"}  -> {"result":[{"name":"DBMS Name","value":"SQLite"},...]}
//   {"op":"SystemDsnList"}         -> {"result":["Sales","Inventory"]}
//   {"op":"ServerEntries"}         -> {"result":[{"key":"srv1","fields":[5 texts]},...]}
//   an error the operation raised  -> {"error":{"number":3704,"source":"...","description":"..."}}
//
// The connection string (and the password in it) travels only in the Connect request.
namespace virelo::complus {

inline constexpr const char* kTesterProtocol = "virelo-tester";
inline constexpr int kTesterProtocolVersion = 1;

// Serves one session: answers every request line read from `in` with one line on `out`, until
// the end of `in`.
void ServeTester(ConnectionTester& tester, std::istream& in, std::ostream& out);

// The pieces that the calling side reads back.
NameTable NameTableFrom(const nlohmann::json& names);
std::vector<Property> PropertiesFrom(const nlohmann::json& properties);
std::vector<ServerItem> ServerItemsFrom(const nlohmann::json& names);
ServerEntryCollection ServerEntriesFrom(const nlohmann::json& entries);

// One message as one line (without its line feed); text that is not valid UTF-8 is replaced
// rather than refused.
std::string MessageLine(const nlohmann::json& message);

}  // namespace virelo::complus
