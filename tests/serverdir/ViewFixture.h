#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/PosixRegistry.h"
#include "serverdir/RegAccess.h"
#include "support/TempDir.h"

namespace virelo::test {

// The server table as text: one bracket per column 0 to U, rows 1 to 5 separated by commas.
inline std::string TableText(const serverdir::ServerTable& table) {
    std::string out;
    for (int column = 0; column <= table.UpperBound(); ++column) {
        out += "[";
        for (int row = 1; row <= 5; ++row) {
            out += (row == 1 ? "" : ",") + table.at(row, column);
        }
        out += "]";
    }
    return out;
}

// The Linux registry view over files in a private directory: export files named through
// VIRELO_REGISTRY, the text server directory through VIRELO_SQLHOSTS, the default locations
// inside the directory too; warnings are collected instead of printed.
class ViewFixture : public ::testing::Test {
protected:
    // The text directory that VIRELO_SQLHOSTS names is there but empty unless a test writes it
    // (a named file that is missing is warned about).
    ViewFixture() { dir.write("sqlhosts", ""); }

    void useRegFiles(const std::vector<std::string>& names) {
        std::string list;
        for (const std::string& name : names) {
            list += (list.empty() ? "" : ":") + dir.file(name);
        }
        setenv("VIRELO_REGISTRY", list.c_str(), 1);
    }
    // Writes a file (and its directories) and gives it a modification time of its own, so that a
    // rewrite within the file system's clock tick still counts as a change.
    void write(const std::string& name, const std::string& content) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        dir.write(name, content);
        stamp(name);
    }
    void stamp(const std::string& name) {
        const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000 + ++clock_, 0}};
        ASSERT_EQ(0, utimensat(AT_FDCWD, dir.file(name).c_str(), times, 0)) << name;
    }
    std::string servers() { return TableText(access.GetSqlhostsServers()); }
    // How many warnings so far name `file` and contain `text`.
    int warned(const std::string& file, const std::string& text) const {
        int count = 0;
        for (const std::string& warning : warnings) {
            count +=
                warning.find(file) != std::string::npos && warning.find(text) != std::string::npos;
        }
        return count;
    }
    std::string allWarnings() const { return ::testing::PrintToString(warnings); }

    TempDir dir;
    ScopedEnv registryList{"VIRELO_REGISTRY", ""};
    ScopedEnv sqlhostsFile{"VIRELO_SQLHOSTS", dir.file("sqlhosts")};
    ScopedEnv configHome{"XDG_CONFIG_HOME", dir.file("config")};
    std::vector<std::string> warnings;
    platform::posix::PosixRegistry view{{dir.file("etc")},
                                        [this](const std::string& w) { warnings.push_back(w); }};
    serverdir::RegAccess access{view};

private:
    long clock_ = 0;
};

// A registry export file in its usual form.
inline std::string Regedit5(const std::string& body) {
    return "Windows Registry Editor Version 5.00\r\n\r\n" + body;
}
// One server entry of an export file, with CR LF line ends.
inline std::string RegServer(const std::string& name, const std::string& host,
                             const std::string& service = "9088",
                             const std::string& protocol = "kasoctcp") {
    return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nembrion\\SQLHOSTS\\" + name + "]\r\n\"HOST\"=\"" +
           host + "\"\r\n\"SERVICE\"=\"" + service + "\"\r\n\"PROTOCOL\"=\"" + protocol +
           "\"\r\n\"OPTIONS\"=\"\"\r\n\r\n";
}

}  // namespace virelo::test
