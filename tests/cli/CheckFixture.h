// virelo-check as a whole program, run as a child with a private server directory, private ODBC
// files, a private TEMP and the test hosts file through nss_wrapper, so that nothing it looks
// up leaves the machine. JSON reports are parsed, never compared as text.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "support/ChildProcess.h"
#include "support/OdbcIni.h"
#include "support/TcpListener.h"
#include "support/TempDir.h"

namespace virelo::cli {

using nlohmann::json;
using Args = std::vector<std::string>;
using Env = std::map<std::string, std::optional<std::string>>;

// One run: its command line, its exit code, and the value of a JSON field ("/..."), or else a
// text that the output must hold.
struct Row {
    std::string line;
    int exitCode;
    std::string field = "";
    json value = nullptr;
};

class CheckFixture : public ::testing::Test {
protected:
    void SetUp() override {
        temp.write("sqlhosts", expand("# name protocol host service\n"
                                      "srv_spx  kbsocspx localhost 1526\n"
                                      "srv_nohost kasoctcp no-such-host.test 1526\n"
                                      "srv_noservice kasoctcp localhost no-such-service\n"
                                      "srv_up kasoctcp localhost {PORT}\n"
                                      "srv_closed kasoctcp localhost {CLOSED}\n"));
        // An export whose entry lacks its HOST value (the key stands on line 3).
        temp.write("servers.reg",
                   "Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nembrion\\SQLHOSTS\\srv_novalue]\n"
                   "\"SERVICE\"=\"1526\"\n\"PROTOCOL\"=\"kasoctcp\"\n");
        temp.write("odbc.ini", "[Sales]\nDriver=" + std::string(test::kSqliteDriver) +
                                   "\nDatabase=" + temp.file("sales.db") +
                                   "\n[NoDriver]\nDriver=/nonexistent/libfoo.so\n");
        temp.write("odbcinst.ini", "[SQLite3]\nDriver=" + std::string(test::kSqliteDriver) + "\n");
    }
    // `text` with each {NAME} replaced by its value.
    std::string expand(std::string text) const {
        for (const auto& [name, value] : values) {
            for (auto at = text.find(name); at != std::string::npos; at = text.find(name)) {
                text.replace(at, name.size(), value);
            }
        }
        return text;
    }
    // The command line split at blanks and expanded, after the programs of `wrapper`.
    Args command(const std::string& line, Args wrapper = {}) const {
        wrapper.push_back(VIRELO_CHECK_BINARY);
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            wrapper.push_back(expand(word));
        }
        return wrapper;
    }
    // The `extra` variables, and else the test hosts file, this test's server directory, ODBC
    // files and TEMP, and no password.
    Env environment(Env extra) const {
        extra.insert({
            {"LD_PRELOAD", VIRELO_NSS_WRAPPER_LIBRARY},
            {"NSS_WRAPPER_HOSTS", VIRELO_TEST_HOSTS_FILE},
            {"NSS_WRAPPER_HOSTNAME", "test-ws"},
            {"NSS_WRAPPER_DISABLE_DEEPBIND", "1"},
            {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0"},
            {"VIRELO_REGISTRY", temp.file("servers.reg")},
            {"VIRELO_SQLHOSTS", temp.file("sqlhosts")},
            {"XDG_CONFIG_HOME", temp.file("config")},
            {"ODBCSYSINI", temp.path()},
            {"ODBCINI", temp.file("user-odbc.ini")},
            {"TEMP", temp.path()},
            {"VIRELO_PASSWORD", std::nullopt},
            {"NO_COLOR", std::nullopt},
        });
        return extra;
    }
    test::ChildResult run(const std::string& line, const Env& extra = {}, Args wrapper = {},
                          bool closeStdout = false) {
        return test::RunChild(command(line, std::move(wrapper)), environment(extra), closeStdout);
    }
    // The JSON report; output that is none throws, and the test fails.
    static json document(const test::ChildResult& result) { return json::parse(result.out); }
    // The layers of a run's JSON report, "!" after each that failed, "?" after a warning, and
    // its exit code.
    static std::string walk(const test::ChildResult& result) {
        const json doc = document(result);
        std::string names;
        for (const auto& check : doc["checks"]) {
            names += check["layer"].get<std::string>() + (check["ok"]        ? " "
                                                          : check["warning"] ? "? "
                                                                             : "! ");
        }
        EXPECT_EQ(doc["exit_code"], result.exitCode);
        return names + std::to_string(result.exitCode);
    }
    // Runs every row with `password` in VIRELO_PASSWORD: the exit code, the field or text, none
    // of the `secrets` anywhere in the output, and no word cut by the mask.
    void expectRows(const std::vector<Row>& rows, const std::optional<std::string>& password,
                    const Args& secrets, Env extra = {}) {
        extra["VIRELO_PASSWORD"] = password;
        for (const Row& row : rows) {
            const auto result = run(row.line, extra);
            const std::string shown = result.out + result.err;
            EXPECT_EQ(result.exitCode, row.exitCode) << row.line << "\n" << shown;
            if (row.field.starts_with('/')) {
                const json expected =
                    row.value.is_string() ? json(expand(row.value.get<std::string>())) : row.value;
                EXPECT_EQ(document(result).value(json::json_pointer(row.field), json()), expected)
                    << row.line << " " << row.field;
            } else {
                EXPECT_NE(result.out.find(expand(row.field)), std::string::npos)
                    << row.line << ": " << row.field << "\n"
                    << shown;
            }
            for (const std::string& secret : secrets) {
                EXPECT_EQ(shown.find(secret), std::string::npos) << secret << " in " << shown;
            }
            EXPECT_FALSE(std::regex_search(shown, std::regex("\\w########|########\\w"))) << shown;
        }
    }

    test::TempDir temp;
    test::TcpListener listener;
    test::TcpListener silent{"127.0.0.1", true};
    std::map<std::string, std::string> values = {
        {"{PORT}", std::to_string(listener.port)},
        {"{CLOSED}", std::to_string(test::TcpListener::ClosedPort())},
        {"{SILENT}", std::to_string(silent.port)},
        {"{EMPTY}", ""},
        {"{FILE}", temp.file("pw")},
        {"{TEMP}", temp.path()},
        {"{SQLITE}", "DRIVER=" + std::string(test::kSqliteDriver) +
                         ";Database=" + temp.file("t.db") + ";PWD={PASSWORD}"},
        {"{PGODBC}", "DRIVER=" + std::string(test::kPostgresDriver)},
        {"{LONG}", "DSN=" + std::string(10000, 'x') + "\xC3\xA4"},
    };
};

}  // namespace virelo::cli
