#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/TcpListener.h"

namespace virelo::test {

// A throwaway PostgreSQL server on 127.0.0.1 with the user "tester" (password "right-pw" unless
// the test chooses another), for tests that need a real server's answers. It needs root (initdb
// runs as the postgres user); `reason` says why it did not start.
class PostgresServer {
public:
    static constexpr const char* kBin = "/usr/lib/postgresql/15/bin";

    explicit PostgresServer(const std::string& password = "right-pw") {
        if (geteuid() != 0 || !std::filesystem::exists(std::string(kBin) + "/initdb")) {
            reason = "needs root and PostgreSQL 15 (postgresql-15)";
            return;
        }
        char pattern[] = "/tmp/virelo-pg-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            reason = "no temporary directory";
            return;
        }
        dir_ = pattern;
        port = TcpListener::ClosedPort();
        std::ofstream(dir_ + "/pw") << password << '\n';
        const std::string script = "chmod 755 " + dir_ + " && chown -R postgres " + dir_ +
                                   " && su postgres -s /bin/sh -c \"" + kBin + "/initdb -D " +
                                   dir_ + "/data -U tester --auth=scram-sha-256 --pwfile=" + dir_ +
                                   "/pw -E UTF8 --no-locale -N >" + dir_ + "/initdb.log 2>&1 && " +
                                   kBin + "/pg_ctl -D " + dir_ + "/data -l " + dir_ +
                                   "/server.log -w -o '-c " + "listen_addresses=127.0.0.1 -p " +
                                   std::to_string(port) + " -k " + dir_ + "' start >/dev/null\"";
        if (std::system(script.c_str()) != 0) {
            reason = "the server did not start (see " + dir_ + ")";
            return;
        }
        running_ = true;
    }
    ~PostgresServer() {
        if (running_) {
            const std::string stop = "su postgres -s /bin/sh -c \"" + std::string(kBin) +
                                     "/pg_ctl -D " + dir_ + "/data -m fast -w stop >/dev/null\"";
            [[maybe_unused]] const int rc = std::system(stop.c_str());
            std::error_code ignored;
            std::filesystem::remove_all(dir_, ignored);
        }
    }
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    bool running() const { return running_; }

    int port = 0;
    std::string reason;

private:
    std::string dir_;
    bool running_ = false;
};

}  // namespace virelo::test
