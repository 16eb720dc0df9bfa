#pragma once

#include <sys/stat.h>

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "support/OdbcIni.h"
#include "support/TempDir.h"

namespace virelo::test {

// The process's private ODBC directory (see OdbcProcessConfig), with its three files present.
// Call this before the first ODBC call of the process.
inline const TempDir& IsolateOdbc() {
    const TempDir& dir = OdbcProcessConfig::Isolate();
    static const bool once = [&dir] {
        for (const char* name : {"odbcinst.ini", "odbc.ini", "user-odbc.ini"}) {
            dir.write(name, "");
        }
        return true;
    }();
    (void)once;
    return dir;
}

// ODBC configuration of one test: a driver list naming the SQLite3 and PostgreSQL ANSI drivers,
// and system and user data sources that the test adds. The driver manager reads nothing of the
// machine's or the user's; the files are emptied again when the test ends.
class OdbcConfig {
public:
    OdbcConfig() : dir_(IsolateOdbc()) {
        write("odbcinst.ini",
              "[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=" + std::string(kSqliteDriver) +
                  "\n\n[PostgreSQL ANSI]\nDescription=PostgreSQL ODBC driver "
                  "(ANSI version)\nDriver=" +
                  std::string(kPostgresDriver) + "\n");
        write("odbc.ini", "");
        write("user-odbc.ini", "");
    }
    ~OdbcConfig() {
        for (const char* name : {"odbcinst.ini", "odbc.ini", "user-odbc.ini"}) {
            write(name, "");
        }
    }
    OdbcConfig(const OdbcConfig&) = delete;
    OdbcConfig& operator=(const OdbcConfig&) = delete;

    // Adds a data source: `body` holds its lines, "Driver=..." among them.
    void systemDsn(const std::string& name, const std::string& body) {
        system_ += "[" + name + "]\n" + body + "\n";
        write("odbc.ini", system_);
    }
    void userDsn(const std::string& name, const std::string& body) {
        user_ += "[" + name + "]\n" + body + "\n";
        write("user-odbc.ini", user_);
    }
    // A SQLite database file of this test.
    std::string database(const std::string& name) const { return temp_.file(name); }

private:
    // Writes a file and moves its modification time on, so the driver manager, which keeps what
    // it read until a file's time changes, reads it again even within the same second.
    void write(const std::string& name, const std::string& text) {
        static std::time_t tick = std::time(nullptr);
        dir_.write(name, text);
        const timespec times[2] = {{++tick, 0}, {tick, 0}};
        utimensat(AT_FDCWD, dir_.file(name).c_str(), times, 0);
    }

    const TempDir& dir_;
    TempDir temp_;
    std::string system_;
    std::string user_;
};

}  // namespace virelo::test
