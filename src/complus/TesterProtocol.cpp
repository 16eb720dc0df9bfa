#include "complus/TesterProtocol.h"

#include <functional>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <utility>

#include "general/Error.h"

namespace virelo::complus {
namespace {

using nlohmann::json;

constexpr const char* kServerSource = "virelo-check serve-tester";

json Names(const NameTable& table) {
    json names = json::array();
    for (int i = 1; i <= table.UpperBound(2); ++i) {
        names.push_back(table.at(1, i));
    }
    return names;
}

json ValueOf(const PropertyValue& value) {
    struct Visitor {
        json operator()(std::monostate) const { return nullptr; }
        json operator()(bool b) const { return b; }
        json operator()(std::int64_t n) const { return n; }
        json operator()(double d) const { return d; }
        json operator()(const std::string& s) const { return s; }
    };
    return std::visit(Visitor{}, value);
}

PropertyValue PropertyValueFrom(const json& value) {
    if (value.is_boolean()) {
        return value.get<bool>();
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        return value.get<double>();
    }
    if (value.is_string()) {
        return value.get<std::string>();
    }
    return std::monostate{};
}

using Operation = std::function<json(ConnectionTester&, const json&)>;

// Every operation of the connection tester that a request may name.
const std::vector<std::pair<const char*, Operation>>& Operations() {
    static const std::vector<std::pair<const char*, Operation>> operations = {
        {"ResultText", [](ConnectionTester& t, const json&) { return json(t.ResultText()); }},
        {"ConnectionProperties",
         [](ConnectionTester& t, const json&) {
             json properties = json::array();
             for (const Property& property : t.ConnectionProperties()) {
                 properties.push_back(
                     {{"name", property.Name}, {"value", ValueOf(property.Value)}});
             }
             return properties;
         }},
        {"ErrorNumber", [](ConnectionTester& t, const json&) { return json(t.ErrorNumber()); }},
        {"ErrorDescription",
         [](ConnectionTester& t, const json&) { return json(t.ErrorDescription()); }},
        {"OdbcDriverList",
         [](ConnectionTester& t, const json&) { return Names(t.OdbcDriverList()); }},
        {"UserDsnList", [](ConnectionTester& t, const json&) { return Names(t.UserDsnList()); }},
        {"SystemDsnList",
         [](ConnectionTester& t, const json&) { return Names(t.SystemDsnList()); }},
        {"OleDbProviderList",
         [](ConnectionTester& t, const json&) { return Names(t.OleDbProviderList()); }},
        {"ServerList",
         [](ConnectionTester& t, const json&) {
             json names = json::array();
             for (const ServerItem& item : t.ServerList()) {
                 names.push_back(item.Name);
             }
             return names;
         }},
        {"MachineName", [](ConnectionTester& t, const json&) { return json(t.MachineName()); }},
        {"Connect",
         [](ConnectionTester& t, const json& request) {
             bool success = false;
             t.Connect(request.at("connectionString").get<std::string>(), success);
             return json(success);
         }},
        {"ServerEntries",
         [](ConnectionTester& t, const json&) {
             const ServerEntryCollection entries = t.ServerEntries();
             json list = json::array();
             for (std::size_t i = 0; i < entries.Count(); ++i) {
                 const ServerEntry& e = entries.Item(entries.Key(i));
                 list.push_back(
                     {{"key", entries.Key(i)},
                      {"fields", {e.Server, e.HostName, e.Protocol, e.Service, e.Options}}});
             }
             return list;
         }},
    };
    return operations;
}

json ErrorAnswer(const Error& error) {
    return {{"error",
             {{"number", error.number()},
              {"source", error.source()},
              {"description", error.description()}}}};
}

json Answer(ConnectionTester& tester, const std::string& line) {
    const json request = json::parse(line, nullptr, false);
    const std::string op =
        request.is_object() && request.contains("op") && request["op"].is_string()
            ? request["op"].get<std::string>()
            : std::string();
    if (op == "hello") {
        json answer = {{"protocol", kTesterProtocol}, {"version", kTesterProtocolVersion}};
        if (request.value("protocol", "") != kTesterProtocol ||
            request.value("version", 0) != kTesterProtocolVersion) {
            answer.update(ErrorAnswer(Error(429, kServerSource,
                                            "This tester speaks version " +
                                                std::to_string(kTesterProtocolVersion) + " of " +
                                                kTesterProtocol)));
        }
        return answer;
    }
    for (const auto& [name, operation] : Operations()) {
        if (op == name) {
            try {
                return {{"result", operation(tester, request)}};
            } catch (const std::exception& failure) {
                return ErrorAnswer(AsError(failure, kServerSource));
            }
        }
    }
    return ErrorAnswer(Error(5, kServerSource,
                             op.empty() ? "A request of the tester protocol was expected"
                                        : "No operation of the connection tester is named " + op));
}

}  // namespace

std::string MessageLine(const json& message) {
    return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

void ServeTester(ConnectionTester& tester, std::istream& in, std::ostream& out) {
    for (std::string line; std::getline(in, line);) {
        out << MessageLine(Answer(tester, line)) << '\n' << std::flush;
    }
}

NameTable NameTableFrom(const json& names) {
    NameTable table(1, static_cast<int>(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i) {
        table.at(1, static_cast<int>(i) + 1) = names.at(i).get<std::string>();
    }
    return table;
}

std::vector<Property> PropertiesFrom(const json& properties) {
    std::vector<Property> list;
    for (const json& property : properties) {
        list.push_back({property.at("name").get<std::string>(),
                        PropertyValueFrom(property.value("value", json()))});
    }
    return list;
}

std::vector<ServerItem> ServerItemsFrom(const json& names) {
    std::vector<ServerItem> items;
    for (const json& name : names) {
        items.push_back({name.get<std::string>()});
    }
    return items;
}

ServerEntryCollection ServerEntriesFrom(const json& entries) {
    ServerEntryCollection collection;
    for (const json& entry : entries) {
        const json& f = entry.at("fields");
        collection.Add(
            entry.at("key").get<std::string>(),
            {f.at(0).get<std::string>(), f.at(1).get<std::string>(), f.at(2).get<std::string>(),
             f.at(3).get<std::string>(), f.at(4).get<std::string>()});
    }
    return collection;
}

}  // namespace virelo::complus
