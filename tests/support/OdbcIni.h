#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
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
// the rest of the process, so Isolate() comes before any ODBC call (from main(), or from the
// first OdbcIni of a process whose tests all use one), and the tests rewrite the files in it.
class OdbcProcessConfig {
public:
    static const TempDir& Isolate() {
        static const TempDir dir;
        setenv("ODBCSYSINI", dir.path().c_str(), 1);
        setenv("ODBCINI", dir.file("user-odbc.ini").c_str(), 1);
        return dir;
    }
    // One SQLite database file for the whole process.
    static std::string SqliteDatabase() { return Isolate().file("test.db"); }
};

// The ODBC configuration of one test: a driver list naming the SQLite3 and PostgreSQL ANSI
// drivers, and the system and user data sources that the test adds. A new set replaces whatever
// an earlier test left, and the files are emptied again when the test ends. The odbcinst library
// keeps what it has read until a file's time changes, so every write moves that time on; even so,
// tests give each configuration a data source name of its own.
class OdbcIni {
public:
    using Keys = std::vector<std::pair<std::string, std::string>>;

    OdbcIni() { write(); }
    ~OdbcIni() { write(true); }
    OdbcIni(const OdbcIni&) = delete;
    OdbcIni& operator=(const OdbcIni&) = delete;

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
    // Writes the three files, or empties them.
    void write(bool empty = false) const {
        const TempDir& dir = OdbcProcessConfig::Isolate();
        static std::time_t tick = std::time(nullptr);
        const std::pair<const char*, const std::string&> files[] = {
            {"odbcinst.ini", drivers_}, {"odbc.ini", system_}, {"user-odbc.ini", user_}};
        for (const auto& [name, text] : files) {
            dir.write(name, empty ? "" : text);
            const timespec times[2] = {{++tick, 0}, {tick, 0}};
            utimensat(AT_FDCWD, dir.file(name).c_str(), times, 0);
        }
    }

    std::string system_, user_;
    std::string drivers_ = std::string("[SQLite3]\nDriver=") + kSqliteDriver +
                           "\n[PostgreSQL ANSI]\nDriver=" + kPostgresDriver + "\n";
};

}  // namespace virelo::test
