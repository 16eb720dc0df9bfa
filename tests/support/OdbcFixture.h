#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
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

using Strings = std::vector<std::string>;

// The ODBC module over the system's driver manager (recorded, see ScriptedDriverManager), with
// private data sources, a fixed clock and a log file in a private directory.
class OdbcFixture : public ::testing::Test {
protected:
    // The messages of the log's lines, in order; every line must carry the time stamp and end
    // with CR LF.
    Strings logLines() const {
        const std::string text = logText();
        if (!std::regex_match(text, std::regex("(3:04:05 PM : [^\r]*\r\n)*"))) {
            ADD_FAILURE() << "not a log of whole, time-stamped lines:\n" << text;
            return {};
        }
        Strings lines;
        for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos;
             at = end + 2) {
            lines.push_back(text.substr(at + 13, end - at - 13));
        }
        return lines;
    }
    std::string logText() const { return temp.read("virelo.log"); }
    odbc::ODBCInfo connect(const std::string& dsn, const std::string& user = "",
                           const std::string& password = "") {
        std::filesystem::remove(logPath);
        dm.calls.clear();
        return module.ODBCConnect(dsn, user, password, logPath);
    }
    static std::string sqliteFile() { return OdbcProcessConfig::SqliteDatabase(); }

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

// The nine values of a run, in the order they are asked.
inline Strings Fields(const odbc::ODBCInfo& i) {
    return {i.DataSourceName, i.UserName,          i.DatabaseName, i.DBMSVersion, i.DriverName,
            i.DriverVersion,  i.DriverODBCVersion, i.ODBCVersion,  i.DBMSName};
}

// The lines of a run that failed at SQLConnect.
inline Strings ConnectFailure(const std::string& state, const std::string& native,
                              const std::string& message) {
    return {"SQLAllocEnv Successful",
            " SQLAllocConnect Successful",
            "There was an error within SQLConnect!",
            "SQLState = " + state,
            "Native Error = " + native,
            "Error Message = " + message};
}

// `head` followed by `tail`.
inline Strings Joined(Strings head, const Strings& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The sixteen lines of a run in which every step succeeded.
inline const Strings kSuccessLines = [] {
    Strings lines = {"SQLAllocEnv Successful", " SQLAllocConnect Successful",
                     "SQLConnect Successful"};
    for (const char* type :
         {"DATA_SOURCE_NAME", "USER_NAME", "DATABASE_NAME", "DBMS_VER", "DRIVER_NAME", "DRIVER_VER",
          "DRIVER_ODBC_VER", "ODBC_VER", "DBMS_NAME"}) {
        lines.push_back(std::string("SQLGetInfo for SQL_") + type + " Successful");
    }
    return Joined(lines, {"SQLDisconnect was Successful", "SQLFreeConnect Successful\\n",
                          "SQLFreeEnv Successful", "ODBC connection closed."});
}();

// The calls of a run through the driver manager, from the start to and including SQLConnect.
inline const Strings kUpToConnect = {"AllocEnv", "AllocConnect", "SetLoginTimeout 15", "Connect"};

}  // namespace virelo::test
