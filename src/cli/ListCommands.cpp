#include "cli/ListCommands.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/CheckResult.h"
#include "complus/LocalConnectionTester.h"
#include "odbc/DSNList.h"
#include "report/ReportText.h"
#include "serverdir/RegAccess.h"

namespace virelo::cli {
namespace {

using Row = std::vector<std::string>;

// A list: its column names (also its JSON keys) and its rows.
struct Listing {
    Row columns;
    std::vector<Row> rows;
};

Listing Servers(platform::Registry& registry, platform::RegistryOrigins* origins) {
    using serverdir::ServerTable;
    Listing list{{"name", "protocol", "host", "service", "options", "source"}, {}};
    const ServerTable table = serverdir::RegAccess(registry).GetSqlhostsServers();
    for (int column = 0; column <= table.UpperBound(); ++column) {
        const std::string& name = table.at(ServerTable::kName, column);
        if (name.empty()) {
            continue;  // the empty column after the last server
        }
        const std::string source =
            origins == nullptr
                ? "registry"
                : origins->origin(platform::reg::kLocalMachine,
                                  std::string(serverdir::kSqlhostsKey) + "\\" + name);
        list.rows.push_back({name, table.at(ServerTable::kProtocol, column),
                             table.at(ServerTable::kHost, column),
                             table.at(ServerTable::kService, column),
                             table.at(ServerTable::kOptions, column), source});
    }
    return list;
}

std::string FileOf(platform::RegistryOrigins* origins, const std::string& role) {
    if (origins != nullptr) {
        for (const platform::RegistrySource& source : origins->sources()) {
            if (source.role == role) {
                return source.path;
            }
        }
    }
    return "registry";
}

Listing DataSources(platform::Registry& registry, platform::RegistryOrigins* origins) {
    Listing list{{"name", "kind", "driver", "file"}, {}};
    serverdir::RegAccess access(registry);
    for (const auto& [root, kind] : {std::pair{platform::reg::kLocalMachine, "system"},
                                     std::pair{platform::reg::kCurrentUser, "user"}}) {
        const odbc::DSNTable table = odbc::GetDSNList(access, root);
        const std::string file = FileOf(origins, std::string("ODBC ") + kind + " data sources");
        for (int column = 1; column <= table.Columns(); ++column) {
            list.rows.push_back({table.at(odbc::DSNTable::kName, column), kind,
                                 table.at(odbc::DSNTable::kDriver, column), file});
        }
    }
    return list;
}

Listing Drivers(platform::Registry& registry, platform::RegistryOrigins* origins,
                platform::Network& network) {
    Listing list{{"name", "file"}, {}};
    complus::LocalConnectionTester tester(network, registry);
    const complus::NameTable names = tester.OdbcDriverList();
    const std::string file = FileOf(origins, "ODBC drivers");
    for (int i = 1; i <= names.UpperBound(2); ++i) {
        list.rows.push_back({names.at(1, i), file});
    }
    return list;
}

Listing Sources(platform::RegistryOrigins* origins) {
    Listing list{{"role", "path", "state"}, {}};
    if (origins == nullptr) {
        list.rows.push_back({"registry", "the system's registry", "read"});
        return list;
    }
    for (const platform::RegistrySource& source : origins->sources()) {
        list.rows.push_back({source.role, source.path, source.state});
    }
    return list;
}

// Columns padded to their widest cell and separated by two blanks, under a header line.
void PrintTable(std::ostream& out, Listing list) {
    // A directory file's names and values are shown with their control characters spelled out,
    // so that they cannot steer the terminal.
    for (Row& row : list.rows) {
        std::transform(row.begin(), row.end(), row.begin(), report::PlainText);
    }
    std::vector<std::size_t> widths;
    for (const std::string& name : list.columns) {
        widths.push_back(name.size());
    }
    for (const Row& row : list.rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    const auto print = [&](const Row& row, bool header) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            std::string cell = row[i];
            if (header) {
                std::transform(cell.begin(), cell.end(), cell.begin(), ::toupper);
            }
            line +=
                cell + (i + 1 < row.size() ? std::string(widths[i] - cell.size() + 2, ' ') : "");
        }
        out << line.substr(0, line.find_last_not_of(' ') + 1) << '\n';
    };
    print(list.columns, true);
    for (const Row& row : list.rows) {
        print(row, false);
    }
}

}  // namespace

int PrintList(std::ostream& out, const Request& request, platform::Registry& registry,
              platform::RegistryOrigins* origins, platform::Network& network) {
    const std::string& what = request.operands.at(0);
    const Listing list = what == "servers"   ? Servers(registry, origins)
                         : what == "dsns"    ? DataSources(registry, origins)
                         : what == "drivers" ? Drivers(registry, origins, network)
                                             : Sources(origins);
    if (request.json) {
        nlohmann::json rows = nlohmann::json::array();
        for (const Row& row : list.rows) {
            nlohmann::json entry = nlohmann::json::object();
            for (std::size_t i = 0; i < row.size(); ++i) {
                entry[list.columns[i]] = row[i];
            }
            rows.push_back(entry);
        }
        out << nlohmann::json{{"list", what}, {what, rows}}.dump(
                   2, ' ', false, nlohmann::json::error_handler_t::replace)
            << '\n';
    } else {
        PrintTable(out, list);
    }
    return out.flush() ? exitcode::kOk : exitcode::kOutput;
}

}  // namespace virelo::cli
