#include "cli/DataSourceHost.h"

#include <algorithm>
#include <cctype>

#include "complus/ConnectionString.h"
#include "tcpip/TCPIP.h"

namespace virelo::cli {
namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The attributes that name the server host, in the drivers' spellings (psqlODBC: Servername;
// MySQL, SQL Server, FreeTDS: Server; others: Host, HostName).
bool NamesHost(const std::string& keyword) {
    const std::string name = Upper(tcpip::Trim(keyword));
    return name == "SERVERNAME" || name == "SERVER" || name == "HOST" || name == "HOSTNAME";
}

// A host as a name service would be asked for it: without braces, a "tcp:" prefix, a port or
// an instance; "" for an address, which needs no name service.
std::string HostName(std::string value) {
    value = tcpip::Trim(value);
    if (value.size() >= 2 && value.front() == '{' && value.back() == '}') {
        value = value.substr(1, value.size() - 2);
    }
    if (Upper(value.substr(0, 4)) == "TCP:") {
        value.erase(0, 4);
    }
    value = value.substr(0, value.find_first_of(",\\"));
    if (std::count(value.begin(), value.end(), ':') > 1) {
        return "";  // an IPv6 address
    }
    value = tcpip::Trim(value.substr(0, value.find(':')));
    const bool address = std::all_of(value.begin(), value.end(),
                                     [](unsigned char c) { return std::isdigit(c) || c == '.'; });
    return address ? "" : value;
}

// The value of the first host attribute of one section of an ini file's text, or nothing.
std::optional<std::string> IniHost(const std::string& text, const std::string& section) {
    bool inside = false;
    for (const std::string& raw : Lines(text)) {
        const std::string line = tcpip::Trim(raw);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            inside = Upper(line.substr(1, line.size() - 2)) == Upper(section);
            continue;
        }
        const auto equals = line.find('=');
        if (inside && equals != std::string::npos && NamesHost(line.substr(0, equals))) {
            return line.substr(equals + 1);
        }
    }
    return std::nullopt;
}

}  // namespace

std::string DataSourceHost(const std::string& dataSource, const Services& services) {
    if (services.origins == nullptr) {
        return "";
    }
    const auto files = services.origins->sources();
    // unixODBC looks at the user's data sources first.
    for (const char* role : {"ODBC user data sources", "ODBC system data sources"}) {
        for (const platform::RegistrySource& file : files) {
            std::string text;
            if (file.role == role && services.files.readNamed(file.path, text, 1 << 20).ok()) {
                if (const auto host = IniHost(text, tcpip::Trim(dataSource))) {
                    return HostName(*host);
                }
            }
        }
    }
    return "";
}

std::string ConnectionStringHost(const std::string& text, const Services& services) {
    std::string dataSource;
    for (const complus::Attribute& attribute : complus::ParseConnectionString(text)) {
        if (NamesHost(attribute.keyword)) {
            return HostName(attribute.value);
        }
        if (Upper(tcpip::Trim(attribute.keyword)) == "DSN") {
            dataSource = attribute.value;
        }
    }
    return dataSource.empty() ? "" : DataSourceHost(dataSource, services);
}

std::string JdbcUrlHost(const std::string& url) {
    const auto slashes = url.find("//");
    if (url.rfind("jdbc:", 0) != 0 || slashes == std::string::npos) {
        return "";
    }
    const std::string rest = url.substr(slashes + 2);
    return rest.starts_with('[') ? "" : HostName(rest.substr(0, rest.find_first_of("/;?,")));
}

}  // namespace virelo::cli
