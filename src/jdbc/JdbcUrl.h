#pragma once

#include <string>
#include <utility>
#include <vector>

namespace virelo::jdbc {

// The fields a JDBC connection URL is built from. Parameters are list items "name=value", in the
// list's order (newest changes on top).
struct UrlFields {
    std::string protocol;
    std::string host;
    std::string port;
    std::string database;
    std::vector<std::string> parameters;
};

// Splits a parameter item at its first "=": name before, value after (a second "=" stays in the
// value). Both are empty when the item has no "=".
std::pair<std::string, std::string> SplitParameter(const std::string& item);

// Stores name=value at the top of the list, after removing the first item that starts with the
// name followed by "=" (exact, case-sensitive). An empty name changes nothing.
void SetParameter(std::vector<std::string>& items, const std::string& name,
                  const std::string& value);

// protocol ["://" host] [":" port] ["/" or ":" database] [":" name=value; ...], where only
// parameters with a value take part. Nothing is trimmed, validated or escaped.
std::string BuildJDBCURL(const UrlFields& fields);

}  // namespace virelo::jdbc
