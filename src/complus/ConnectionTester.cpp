#include "complus/ConnectionTester.h"

#include <sstream>

#include "general/Error.h"

namespace virelo::complus {
namespace {

std::string Fold(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return folded;
}

}  // namespace

std::string PropertyText(const PropertyValue& value) {
    struct Visitor {
        std::string operator()(std::monostate) const { return ""; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(std::int64_t n) const { return std::to_string(n); }
        std::string operator()(double d) const {
            std::ostringstream out;
            out << d;
            return out.str();
        }
        std::string operator()(const std::string& s) const { return s; }
    };
    return std::visit(Visitor{}, value);
}

void ServerEntryCollection::Add(const std::string& key, ServerEntry entry) {
    entries_.emplace_back(key, std::move(entry));
}

const ServerEntry& ServerEntryCollection::Item(const std::string& key) const {
    const std::string folded = Fold(key);
    for (const auto& [name, entry] : entries_) {
        if (Fold(name) == folded) {
            return entry;
        }
    }
    throw Error(5, "ServerEntries",
                "Invalid procedure call or argument: no server entry named " + key);
}

}  // namespace virelo::complus
