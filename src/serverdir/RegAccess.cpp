#include "serverdir/RegAccess.h"

namespace virelo::serverdir {
namespace {

namespace reg = platform::reg;

std::string BinaryText(const std::string& data, std::uint32_t size) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint32_t i = 0; i < size && i < data.size(); ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

// The data without its last character; an empty value stays empty (it exists, so it is not
// "Not Found").
std::string WithoutLast(const std::string& data, std::uint32_t size) {
    return size == 0 ? std::string() : data.substr(0, size - 1);
}

}  // namespace

std::string DwordText(const std::string& data) {
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        // The data buffer starts out as spaces; a DWORD stored with fewer than four bytes leaves
        // spaces in the bytes it did not write.
        const char byte = i < data.size() ? data[i] : ' ';
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(byte)) << (8 * i);
    }
    std::string text = std::to_string(number);
    if (text.size() < 3) {
        text.insert(0, 3 - text.size(), '0');
    }
    return text;
}

platform::HKey RegAccess::OpenRegKey(platform::HKey root, const std::string& path) {
    platform::HKey key = 0;
    registry_.openKey(root, path, key);
    return key;
}

std::int32_t RegAccess::CloseRegKey(platform::HKey key) {
    return registry_.closeKey(key);
}

std::string RegAccess::EnumRegKey(platform::HKey key, std::int32_t index) {
    std::string name;
    if (index < 0 || registry_.enumKey(key, static_cast<std::uint32_t>(index), name, kBufferSize) !=
                         reg::kSuccess) {
        return kNotFound;
    }
    return name.substr(0, name.find('\0'));
}

std::string RegAccess::GetRegValue(platform::HKey root, const std::string& path,
                                   const std::string& name) {
    platform::HKey key = 0;
    registry_.openKey(root, path, key);
    std::uint32_t type = 0;
    std::uint32_t size = kBufferSize;
    std::string data;
    if (registry_.queryValue(key, name, type, data, size) != reg::kSuccess) {
        registry_.closeKey(key);
        return kNotFound;
    }
    std::string text;
    switch (type) {
        case reg::kDword:
            text = DwordText(data);
            break;
        case reg::kBinary:
            text = BinaryText(data, size);
            break;
        default:
            text = WithoutLast(data, size);
            break;
    }
    registry_.closeKey(key);
    return text;
}

RegValueRecord RegAccess::EnumRegValue(platform::HKey root, const std::string& path,
                                       std::int32_t index) {
    platform::HKey key = 0;
    registry_.openKey(root, path, key);
    RegValueRecord record;
    std::string name;
    std::uint32_t nameSize = kBufferSize;
    std::uint32_t type = 0;
    std::string data;
    std::uint32_t dataSize = kBufferSize;
    if (index >= 0 && registry_.enumValue(key, static_cast<std::uint32_t>(index), name, nameSize,
                                          type, data, dataSize) == reg::kSuccess) {
        record.Type = static_cast<std::int32_t>(type);
        record.Name = name.substr(0, nameSize);
        record.Data = type == reg::kDword ? DwordText(data) : WithoutLast(data, dataSize);
    } else {
        record.Data = kNotFound;
    }
    registry_.closeKey(key);
    return record;
}

ServerTable RegAccess::GetSqlhostsServers() {
    ServerTable table;
    const platform::HKey key = OpenRegKey(reg::kLocalMachine, kSqlhostsKey);
    int i = 0;
    for (std::string name = EnumRegKey(key, 0); name != kNotFound; name = EnumRegKey(key, i)) {
        const std::string path = std::string(kSqlhostsKey) + "\\" + name;
        table.at(ServerTable::kName, i) = name;
        table.at(ServerTable::kHost, i) = GetRegValue(reg::kLocalMachine, path, "HOST");
        table.at(ServerTable::kService, i) = GetRegValue(reg::kLocalMachine, path, "SERVICE");
        table.at(ServerTable::kProtocol, i) = GetRegValue(reg::kLocalMachine, path, "PROTOCOL");
        table.at(ServerTable::kOptions, i) = GetRegValue(reg::kLocalMachine, path, "OPTIONS");
        ++i;
        if (i >= table.UpperBound()) {
            table.Grow(i);
        }
    }
    CloseRegKey(key);
    return table;
}

}  // namespace virelo::serverdir
