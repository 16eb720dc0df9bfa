#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "support/OdbcIni.h"
#include "support/TempDir.h"

namespace virelo::test {

// The stand-in ODBC driver (StandInDriver.c) as the data sources "standin" and "standinFAIL" of
// the test's ODBC configuration, and what it received: one line per call ("SetConnectAttr 103
// 15", "DriverConnect DSN=...", "Connect dsn|user|password", "Disconnect", ...).
class StandInDriver {
public:
    static constexpr const char* kPath = VIRELO_STANDIN_DRIVER;

    explicit StandInDriver(OdbcIni& ini) {
        ini.systemDsn("standin", {{"Driver", kPath}});
        ini.systemDsn("standinFAIL", {{"Driver", kPath}});
    }
    // The calls received since the last time they were taken.
    std::vector<std::string> take() {
        std::istringstream lines(dir_.read("received"));
        dir_.write("received", "");
        std::vector<std::string> calls;
        for (std::string line; std::getline(lines, line);) {
            calls.push_back(line);
        }
        return calls;
    }

private:
    TempDir dir_;
    ScopedEnv record_{"VIRELO_STANDIN_RECORD", dir_.file("received")};
};

}  // namespace virelo::test
