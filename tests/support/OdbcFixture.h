#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "odbc/ODBC.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixProcesses.h"
#include "support/Fakes.h"
#include "support/OdbcIni.h"
#include "support/ScriptedDriverManager.h"
#include "support/TempDir.h"

namespace virelo::test {

// The ODBC module over the system's driver manager (counted, see ScriptedDriverManager), with
// private data sources, a fixed clock and a log file in a private directory.
class OdbcFixture : public ::testing::Test {
protected:
    static constexpr const char* kStamp = "3:04:05 PM : ";

    // The messages of the log's lines, in order; every line must carry the time stamp and end
    // with CR LF.
    std::vector<std::string> logLines() const {
        const std::string content = temp.read("virelo.log");
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < content.size()) {
            const std::size_t end = content.find("\r\n", start);
            if (end == std::string::npos) {
                ADD_FAILURE() << "the log does not end with CR LF: " << content.substr(start);
                break;
            }
            const std::string line = content.substr(start, end - start);
            if (line.rfind(kStamp, 0) == 0) {
                lines.push_back(line.substr(std::string(kStamp).size()));
            } else {
                ADD_FAILURE() << "a log line without its time stamp: " << line;
            }
            start = end + 2;
        }
        return lines;
    }
    std::string logText() const { return temp.read("virelo.log"); }

    odbc::ODBCInfo connect(const std::string& dsn, const std::string& user = "",
                           const std::string& password = "") {
        return module.ODBCConnect(dsn, user, password, logPath);
    }
    static std::string sqliteFile() { return OdbcProcessConfig::SqliteDatabase(); }
    // A data source name of this test alone, for a configuration that names its own files.
    std::string ownName(const std::string& name) const {
        return name + "-" + std::filesystem::path(temp.path()).filename().string();
    }

    OdbcIni ini;
    TempDir temp;
    platform::posix::PosixFiles files;
    FixedClock clock;
    platform::posix::PosixProcesses processes;
    general::General general{files, clock, processes};
    ScriptedDriverManager dm;
    odbc::ODBC module{general, dm};
    std::string logPath = temp.file("virelo.log");
};

// The lines of a run that failed at SQLConnect.
inline std::vector<std::string> ConnectFailure(const std::string& state, const std::string& native,
                                               const std::string& message) {
    return {"SQLAllocEnv Successful",
            " SQLAllocConnect Successful",
            "There was an error within SQLConnect!",
            "SQLState = " + state,
            "Native Error = " + native,
            "Error Message = " + message};
}

// The sixteen lines of a run in which every step succeeded.
inline const std::vector<std::string> kSuccessLines = {
    "SQLAllocEnv Successful",
    " SQLAllocConnect Successful",
    "SQLConnect Successful",
    "SQLGetInfo for SQL_DATA_SOURCE_NAME Successful",
    "SQLGetInfo for SQL_USER_NAME Successful",
    "SQLGetInfo for SQL_DATABASE_NAME Successful",
    "SQLGetInfo for SQL_DBMS_VER Successful",
    "SQLGetInfo for SQL_DRIVER_NAME Successful",
    "SQLGetInfo for SQL_DRIVER_VER Successful",
    "SQLGetInfo for SQL_DRIVER_ODBC_VER Successful",
    "SQLGetInfo for SQL_ODBC_VER Successful",
    "SQLGetInfo for SQL_DBMS_NAME Successful",
    "SQLDisconnect was Successful",
    "SQLFreeConnect Successful\\n",
    "SQLFreeEnv Successful",
    "ODBC connection closed.",
};

}  // namespace virelo::test
