#include "jdbc/JdbcUrl.h"

#include <algorithm>

namespace virelo::jdbc {

std::pair<std::string, std::string> SplitParameter(const std::string& item) {
    const auto equals = item.find('=');
    if (equals == std::string::npos) {
        return {};
    }
    return {item.substr(0, equals), item.substr(equals + 1)};
}

void SetParameter(std::vector<std::string>& items, const std::string& name,
                  const std::string& value) {
    if (name.empty()) {
        return;
    }
    const std::string prefix = name + "=";
    const auto found = std::find_if(items.begin(), items.end(), [&](const std::string& item) {
        return item.compare(0, prefix.size(), prefix) == 0;
    });
    if (found != items.end()) {
        items.erase(found);
    }
    items.insert(items.begin(), prefix + value);
}

std::string BuildJDBCURL(const UrlFields& fields) {
    std::string url = fields.protocol;
    if (!fields.host.empty()) {
        url += "://" + fields.host;
    }
    if (!fields.port.empty()) {
        url += ":" + fields.port;
    }
    if (!fields.database.empty()) {
        url += (fields.port.empty() ? ":" : "/") + fields.database;
    }
    std::string parameters;
    for (const auto& item : fields.parameters) {
        const auto [name, value] = SplitParameter(item);
        if (!value.empty()) {
            parameters += name + "=" + value + ";";
        }
    }
    if (!parameters.empty()) {
        url += ":" + parameters;
    }
    return url;
}

}  // namespace virelo::jdbc
