#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace virelo::complus {

// A two-dimensional table of names: the second index runs over the entries and the element with
// first index 1 holds an entry's name. Readers take the elements (1, 1) to (1, UpperBound(2)).
class NameTable {
public:
    // A table with the first index 0 to firstUpper and the second 0 to secondUpper, all empty.
    NameTable(int firstUpper, int secondUpper)
        : first_(firstUpper + 1),
          second_(secondUpper + 1),
          cells_(static_cast<std::size_t>(first_ * second_)) {}
    // The upper bound of dimension 1 or 2.
    int UpperBound(int dimension) const { return (dimension == 1 ? first_ : second_) - 1; }
    std::string& at(int first, int second) { return cells_.at(index(first, second)); }
    const std::string& at(int first, int second) const { return cells_.at(index(first, second)); }

private:
    std::size_t index(int first, int second) const {
        if (first < 0 || first >= first_ || second < 0 || second >= second_) {
            return cells_.size();  // out of range: at() throws
        }
        return static_cast<std::size_t>(first * second_ + second);
    }
    int first_;
    int second_;
    std::vector<std::string> cells_;
};

// The value of a connection property: nothing, a Boolean, a number or a text.
using PropertyValue = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

// The value as text: numbers in decimal, Booleans as True and False, nothing as "".
std::string PropertyText(const PropertyValue& value);

struct Property {
    std::string Name;
    PropertyValue Value;
};

// One item of ServerList.
struct ServerItem {
    std::string Name;
};

// One server entry: a first field the program does not read, the host name, the protocol, the
// service name or port number, and a fifth field the program does not read.
struct ServerEntry {
    std::string Server;
    std::string HostName;
    std::string Protocol;
    std::string Service;
    std::string Options;
};

// Server entries that can be looked up by server name, matched without regard to letter case;
// Item raises a virelo::Error for a name it does not hold.
class ServerEntryCollection {
public:
    void Add(const std::string& key, ServerEntry entry);
    const ServerEntry& Item(const std::string& key) const;
    std::size_t Count() const { return entries_.size(); }
    // The key of the entry at `index`, in the order the entries were added.
    const std::string& Key(std::size_t index) const { return entries_.at(index).first; }

private:
    std::vector<std::pair<std::string, ServerEntry>> entries_;
};

// The connection-tester component of the COM+ tab: opens a connection with a connection string,
// reports success or the reason for failure, describes the open connection by its properties,
// and answers questions about the machine it runs on. Every operation may raise a virelo::Error
// (number, source, description).
class ConnectionTester {
public:
    virtual ~ConnectionTester() = default;

    // A closing line shown after each connection attempt, successful or not.
    virtual std::string ResultText() = 0;
    // After a successful Connect: the properties of the open connection, in a fixed order.
    virtual std::vector<Property> ConnectionProperties() = 0;
    // After an unsuccessful Connect: the error's number and text.
    virtual std::int32_t ErrorNumber() = 0;
    virtual std::string ErrorDescription() = 0;
    virtual NameTable OdbcDriverList() = 0;
    virtual NameTable UserDsnList() = 0;
    virtual NameTable SystemDsnList() = 0;
    virtual NameTable OleDbProviderList() = 0;
    virtual std::vector<ServerItem> ServerList() = 0;
    // The name of the machine the component runs on.
    virtual std::string MachineName() = 0;
    // Opens a connection; `success` is true on return exactly when it was opened.
    virtual void Connect(const std::string& connectionString, bool& success) = 0;
    virtual ServerEntryCollection ServerEntries() = 0;
};

}  // namespace virelo::complus
