#include "complus/LocalConnectionTester.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "complus/ConnectionString.h"
#include "general/Error.h"
#include "serverdir/RegAccess.h"

namespace virelo::complus {
namespace {

std::string Folded(const std::string& text) {
    std::string folded;
    for (const char c : text) {
        if (c != ' ' && c != '\t') {
            folded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return folded;
}

// A braced value without its braces, "}}" as one "}".
std::string Unbraced(const std::string& value) {
    const auto first = value.find_first_not_of(" \t");
    if (first == std::string::npos || value[first] != '{') {
        return value;
    }
    const auto last = value.find_last_of('}');
    std::string inner =
        value.substr(first + 1, last == std::string::npos || last <= first ? std::string::npos
                                                                           : last - first - 1);
    for (auto at = inner.find("}}"); at != std::string::npos; at = inner.find("}}", at + 1)) {
        inner.erase(at, 1);
    }
    return inner;
}

// The provider a Provider value names, as compared: without blanks, braces or quotes around it,
// in capitals, a version of the ODBC bridge ("MSDASQL.1") as the bridge itself. Empty when the
// value names none.
std::string ProviderName(const std::string& value) {
    std::string name = Folded(Unbraced(value));
    if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
        name.back() == name.front()) {
        name = name.substr(1, name.size() - 2);
    }
    return name.rfind("MSDASQL.", 0) == 0 ? std::string("MSDASQL") : name;
}

constexpr const char* kWaysServed =
    " This connection tester serves ODBC connection strings only, through the ODBC driver "
    "manager: the system and user data-source ways, \"Build a ODBC DSNLESS Connection String\", "
    "and a string typed under \"Create or Modify Connection String\" that names no provider or "
    "Provider=MSDASQL. It does not serve \"Build a OLE DB Connection String\", whose string "
    "names the OLE DB provider nbxoledbc.";

// A text with every password hidden: after password keywords, and wherever the password of the
// current attempt occurs. Each diagnostic record is masked on its own, so that a mask running to
// the end of one record never swallows the next, and the records are shown one per line.
std::string Hide(const std::vector<std::string>& records, const std::string& password) {
    std::string text;
    for (const std::string& record : records) {
        text += (text.empty() ? "" : "\r\n") + general::MaskPasswords(record, password);
    }
    return text;
}

}  // namespace

std::vector<std::string> DiagnosticRecords(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<std::string> records;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc =
            SQLGetDiagRec(type, handle, record, state, &native, message, sizeof message, &length);
        if (!SQL_SUCCEEDED(rc)) {
            return records;
        }
        std::string line(reinterpret_cast<const char*>(message),
                         static_cast<std::size_t>(std::min<int>(length, sizeof message - 1)));
        // One record is one line: the driver's own line breaks and tabs become blanks.
        for (char& c : line) {
            if (c == '\n' || c == '\r' || c == '\t') {
                c = ' ';
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        records.push_back("[SQLSTATE " + std::string(reinterpret_cast<const char*>(state)) +
                          "] [native error " + std::to_string(native) + "] " + line);
    }
}

LocalConnectionTester::LocalConnectionTester(platform::Network& network,
                                             platform::Registry& registry,
                                             std::chrono::seconds loginTimeout)
    : network_(network), registry_(registry), loginTimeout_(loginTimeout) {}

SQLHANDLE LocalConnectionTester::environment() {
    if (!environment_) {
        SQLHANDLE env = SQL_NULL_HANDLE;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
            throw Error(-1, kSource, "The ODBC driver manager could not allocate an environment");
        }
        environment_ = OdbcHandle(SQL_HANDLE_ENV, env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    return environment_.get();
}

void LocalConnectionTester::Fail(std::int32_t number, const std::string& description) {
    errorNumber_ = number;
    errorDescription_ = description;
}

void LocalConnectionTester::Connect(const std::string& connectionString, bool& success) {
    const auto start = std::chrono::steady_clock::now();
    success = false;
    properties_.reset();
    Fail(0, "");

    // Every Provider keyword counts; the driver sees none of them.
    std::vector<Attribute> rest;
    std::vector<std::string> providers;
    bool providerKeyword = false;
    std::string password;
    for (const Attribute& attribute : ParseConnectionString(connectionString)) {
        const std::string keyword = Folded(attribute.keyword);
        if (keyword == "PROVIDER") {
            providerKeyword = true;
            const std::string name = ProviderName(attribute.value);
            if (!name.empty() && std::ranges::find(providers, name) == providers.end()) {
                providers.push_back(name);
            }
            continue;
        }
        if (keyword == "PWD" || keyword == "PASSWORD") {
            password = Unbraced(attribute.value);
        }
        rest.push_back(attribute);
    }
    if (providers.size() > 1) {
        std::string names = providers[0];
        for (std::size_t i = 1; i < providers.size(); ++i) {
            names += (i + 1 == providers.size() ? " and " : ", ") + providers[i];
        }
        Fail(kProviderNotFound, "Provider cannot be found: the connection string names " +
                                    std::to_string(providers.size()) + " different providers, " +
                                    names + "." + kWaysServed);
    } else if (providers.size() == 1 && providers[0] != "MSDASQL") {
        Fail(kProviderNotFound, "Provider cannot be found: " + providers[0] + "." + kWaysServed);
    } else if (connectionString.size() > 32767) {
        Fail(-1, "The connection string is longer than the 32767 characters ODBC accepts");
    } else {
        success = OpenConnection(providerKeyword ? JoinConnectionString(rest) : connectionString,
                                 password);
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    resultText_ = std::string(success ? "Connection test succeeded" : "Connection test failed") +
                  " after " + std::to_string(elapsed.count()) + " ms";
}

bool LocalConnectionTester::OpenConnection(const std::string& odbcString,
                                           const std::string& password) {
    SQLHANDLE env = environment();
    SQLHANDLE dbc = SQL_NULL_HANDLE;
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!SQL_SUCCEEDED(rc)) {
        Fail(rc, Hide(DiagnosticRecords(SQL_HANDLE_ENV, env), password));
        return false;
    }
    OdbcHandle connection(SQL_HANDLE_DBC, dbc);
    // A dead network must not freeze the window for minutes.
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeout_.count())), 0);
    std::string in = odbcString;
    SQLCHAR out[2048] = {};
    SQLSMALLINT outLength = 0;
    rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(in.data()),
                          static_cast<SQLSMALLINT>(in.size()), out, sizeof out, &outLength,
                          SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        std::string description = Hide(DiagnosticRecords(SQL_HANDLE_DBC, dbc), password);
        Fail(rc, description.empty() ? "The ODBC driver manager gave no reason" : description);
        return false;
    }
    connection.connected();
    // The properties are read while the connection is open; the connection is closed when
    // `connection` goes out of scope, so no session stays open on the server after a ping.
    properties_ = ReadProperties(dbc);
    properties_->push_back(
        {"Extended Properties", Hide({reinterpret_cast<const char*>(out)}, password)});
    return true;
}

}  // namespace virelo::complus
