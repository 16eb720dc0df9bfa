// The data-source lists read from the registry's "ODBC Data Sources" keys.
#include <gtest/gtest.h>

#include "odbc/DSNList.h"
#include "platform/RegistryTree.h"

namespace virelo::odbc {
namespace {

namespace reg = platform::reg;
using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Columns(const DSNTable& table) {
    Pairs columns;
    for (int column = 1; column <= table.Columns(); ++column) {
        columns.emplace_back(table.at(DSNTable::kName, column),
                             table.at(DSNTable::kDriver, column));
    }
    return columns;
}

// Each root gives its own data sources in registry order; a value whose data reads "Not Found"
// ends the list, and other types read as text.
TEST(DSNListTest, EachRootGivesItsOwnDataSourcesInRegistryOrder) {
    platform::RegistryTree tree;
    serverdir::RegAccess registry(tree);
    EXPECT_EQ(GetDSNList(registry, reg::kLocalMachine).Columns(), 0) << "no key";
    tree.createKey(reg::kCurrentUser, kDataSourcesKey);
    EXPECT_EQ(GetDSNList(registry, reg::kCurrentUser).Columns(), 0) << "an empty key";

    tree.setString(reg::kLocalMachine, kDataSourcesKey, "Zeta", "SQLite3");
    tree.setString(reg::kLocalMachine, kDataSourcesKey, "alpha db", "PostgreSQL ANSI");
    tree.setValue(reg::kLocalMachine, kDataSourcesKey, "counted", reg::kDword,
                  std::string("\x08\0\0\0", 4));
    tree.setString(reg::kLocalMachine, kDataSourcesKey, "odd", "Not Found");
    tree.setString(reg::kLocalMachine, kDataSourcesKey, "hidden", "SQLite3");
    tree.setString(reg::kCurrentUser, kDataSourcesKey, "mine", "SQLite3");
    const DSNTable system = GetDSNList(registry, reg::kLocalMachine);
    EXPECT_EQ(Columns(system),
              (Pairs{{"Zeta", "SQLite3"}, {"alpha db", "PostgreSQL ANSI"}, {"counted", "008"}}));
    EXPECT_THROW(system.at(DSNTable::kName, 0), std::out_of_range) << "columns start at 1";
    EXPECT_THROW(system.at(DSNTable::kName, 4), std::out_of_range);
    EXPECT_EQ(Columns(GetDSNList(registry, reg::kCurrentUser)), (Pairs{{"mine", "SQLite3"}}));
    EXPECT_FALSE(tree.hasOpenKeys());
}

}  // namespace
}  // namespace virelo::odbc
