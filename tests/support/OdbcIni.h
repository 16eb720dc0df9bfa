#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

namespace virelo::test {

inline constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
inline constexpr const char* kPostgresDriver = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so";

// The unixODBC configuration of a test process: ODBCSYSINI names a private directory with the
// system odbc.ini and odbcinst.ini, ODBCINI a private user odbc.ini, so no test reads or writes
// the machine's own data sources. unixODBC keeps the system directory that it found first for
// the rest of the process, so main() calls Isolate() once, before any ODBC call, and the tests
// rewrite the files inside that directory.
class OdbcProcessConfig {
public:
    static const TempDir& Isolate() {
        static const TempDir dir;
        setenv("ODBCSYSINI", dir.path().c_str(), 1);
        setenv("ODBCINI", dir.file("user-odbc.ini").c_str(), 1);
        return dir;
    }
    // One SQLite database file for the whole process (see OdbcIni on why it never changes).
    static std::string SqliteDatabase() { return Isolate().file("test.db"); }
};

// The data sources of one test, written as the system and user odbc.ini files of the process
// (and an empty odbcinst.ini: every data source names its driver library by full path). A new
// set replaces whatever an earlier test left. The odbcinst library keeps the values it has read
// for a while, so within one process a data source name must always stand for the same keys:
// tests give each configuration a name of its own.
class OdbcIni {
public:
    using Keys = std::vector<std::pair<std::string, std::string>>;

    OdbcIni() {
        const char* system = std::getenv("ODBCSYSINI");
        const char* user = std::getenv("ODBCINI");
        if (system == nullptr || user == nullptr) {
            throw std::runtime_error("the test's main() did not isolate unixODBC");
        }
        systemDir_ = system;
        userFile_ = user;
        write();
    }

    void systemDsn(const std::string& name, const Keys& keys) {
        system_.push_back({name, keys});
        write();
    }
    void userDsn(const std::string& name, const Keys& keys) {
        user_.push_back({name, keys});
        write();
    }

private:
    using Sections = std::vector<std::pair<std::string, Keys>>;

    static void writeFile(const std::string& path, const Sections& sections) {
        std::ofstream out(path, std::ios::trunc);
        for (const auto& [name, keys] : sections) {
            out << '[' << name << "]\n";
            for (const auto& [key, value] : keys) {
                out << key << '=' << value << '\n';
            }
            out << '\n';
        }
    }
    void write() const {
        writeFile(systemDir_ + "/odbc.ini", system_);
        writeFile(systemDir_ + "/odbcinst.ini", {});
        writeFile(userFile_, user_);
    }

    std::string systemDir_;
    std::string userFile_;
    Sections system_;
    Sections user_;
};

// The hexadecimal digits of a text's bytes, as the test driver's PasswordHex key takes them.
inline std::string Hex(const std::string& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string digits;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        digits += kDigits[byte >> 4];
        digits += kDigits[byte & 0x0F];
    }
    return digits;
}

}  // namespace virelo::test
