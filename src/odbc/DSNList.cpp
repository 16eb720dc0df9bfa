#include "odbc/DSNList.h"

#include <stdexcept>

namespace virelo::odbc {

const std::string& DSNTable::at(int row, int column) const {
    if (column < 1 || column > Columns() || (row != kName && row != kDriver)) {
        throw std::out_of_range("DSNTable: no entry at row " + std::to_string(row) + ", column " +
                                std::to_string(column));
    }
    const Column& entry = columns_[static_cast<std::size_t>(column - 1)];
    return row == kName ? entry.name : entry.driver;
}

void DSNTable::Add(std::string name, std::string driver) {
    columns_.push_back({std::move(name), std::move(driver)});
}

DSNTable GetDSNList(serverdir::RegAccess& registry, platform::HKey root) {
    DSNTable table;
    // A value whose data reads "Not Found" also ends the list: the registry reader cannot tell
    // it from the end of the values.
    for (std::int32_t count = 0;; ++count) {
        serverdir::RegValueRecord value = registry.EnumRegValue(root, kDataSourcesKey, count);
        if (value.Data == serverdir::kNotFound) {
            return table;
        }
        table.Add(std::move(value.Name), std::move(value.Data));
    }
}

}  // namespace virelo::odbc
