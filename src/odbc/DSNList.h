#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"
#include "serverdir/RegAccess.h"

namespace virelo::odbc {

// The key, under HKEY_LOCAL_MACHINE (system data sources) or HKEY_CURRENT_USER (user data
// sources), that holds one value per data source: its name and the name of its driver.
inline constexpr const char* kDataSourcesKey = "SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources";

// The data sources of one registry root: two rows and one column per data source, both numbered
// from 1. Row 1 holds the data source name, row 2 the name of its driver; columns follow the
// order in which the registry enumerates the values.
class DSNTable {
public:
    static constexpr int kName = 1;
    static constexpr int kDriver = 2;

    // The number of columns, N; the columns are 1 to N.
    int Columns() const { return static_cast<int>(columns_.size()); }
    const std::string& at(int row, int column) const;
    void Add(std::string name, std::string driver);

private:
    struct Column {
        std::string name;
        std::string driver;
    };
    std::vector<Column> columns_;
};

// Reads the data sources under `root` value by value until the registry answers "Not Found"; a
// missing or empty key gives a table without columns.
DSNTable GetDSNList(serverdir::RegAccess& registry, platform::HKey root);

}  // namespace virelo::odbc
