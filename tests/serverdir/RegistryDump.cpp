#include "RegistryDump.h"

#include <cstdio>

namespace virelo::test {
namespace {

namespace reg = platform::reg;

std::string Quoted(const std::string& bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        char escaped[8] = {c, 0};
        if (byte == 0 || c == '"' || c == '\\') {
            std::snprintf(escaped, sizeof escaped, "\\%c", byte == 0 ? '0' : c);
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        }
        out += escaped;
    }
    return out + "\"";
}

std::string HexBytes(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(c));
        out += hex;
    }
    return out.empty() ? "(no bytes)" : out.substr(1);
}

void DumpKey(platform::Registry& registry, platform::HKey key, const std::string& path,
             std::string& out) {
    out += "[" + path + "]\n";
    for (std::uint32_t i = 0;; ++i) {
        std::string name, data;
        std::uint32_t nameSize = 1 << 16, type = 0, dataSize = 1 << 24;
        if (registry.enumValue(key, i, name, nameSize, type, data, dataSize) != reg::kSuccess) {
            break;
        }
        const bool text = type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz;
        out += "  " + (name.empty() ? std::string("@") : Quoted(name)) + " type " +
               std::to_string(type) + ": " + (text ? Quoted(data) : HexBytes(data)) + "\n";
    }
    for (std::uint32_t i = 0;; ++i) {
        std::string name;
        if (registry.enumKey(key, i, name, 1 << 16) != reg::kSuccess) {
            break;
        }
        platform::HKey child = 0;
        if (registry.openKey(key, name, child) != reg::kSuccess) {
            out += "(cannot open " + name + ")\n";
            continue;
        }
        DumpKey(registry, child, path + "\\" + name, out);
        registry.closeKey(child);
    }
}

}  // namespace

std::string DumpRegistry(platform::Registry& registry) {
    std::string out;
    DumpKey(registry, reg::kLocalMachine, "HKEY_LOCAL_MACHINE", out);
    DumpKey(registry, reg::kCurrentUser, "HKEY_CURRENT_USER", out);
    return out;
}

}  // namespace virelo::test
