#pragma once

#include <cstdlib>
#include <fstream>
#include <stdexcept>
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
        if (std::getenv("ODBCSYSINI") == nullptr || std::getenv("ODBCINI") == nullptr) {
            throw std::runtime_error("the test's main() did not isolate unixODBC");
        }
        write();
    }
    void systemDsn(const std::string& name, const Keys& keys) { add(system_, name, keys); }
    void userDsn(const std::string& name, const Keys& keys) { add(user_, name, keys); }

private:
    void add(std::string& sections, const std::string& name, const Keys& keys) {
        sections += '[' + name + "]\n";
        for (const auto& [key, value] : keys) {
            sections += key + '=' + value + '\n';
        }
        write();
    }
    void write() const {
        const std::string dir = std::getenv("ODBCSYSINI");
        std::ofstream(dir + "/odbc.ini", std::ios::trunc) << system_;
        std::ofstream(dir + "/odbcinst.ini", std::ios::trunc);
        std::ofstream(std::getenv("ODBCINI"), std::ios::trunc) << user_;
    }

    std::string system_;
    std::string user_;
};

}  // namespace virelo::test
