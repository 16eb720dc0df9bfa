// The Linux registry view: which files it reads, in which order, how their entries merge, and
// when it reads them again; the data-source keys, which come from unixODBC itself, isolated in
// private ini files; and bad input: every broken file gives a warning that names it (and the
// line), or a "Not Found"; nothing crashes or hangs, and every good entry still loads.
// And the registry reader's edge cases over an in-memory registry: every call answers text ("Not
// Found" for every failure), and none leaves a key open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "odbc/DSNList.h"
#include "platform/posix/registry/PosixRegistry.h"
#include "platform/posix/registry/RegistryTree.h"
#include "serverdir/RegAccess.h"
#include "support/OdbcIni.h"
#include "support/TempDir.h"

namespace virelo::test {
namespace {

namespace reg = platform::reg;
using platform::RegistryTree;
using serverdir::RegAccess;

constexpr platform::HKey kLm = reg::kLocalMachine;
const std::string kHosts = serverdir::kSqlhostsKey;
const std::string kKey = "SOFTWARE\\Nembrion\\Test";
const std::string kLong2048(2048, 'x');
const std::string kLong2047(2047, 'x');
using Pairs = std::vector<std::pair<std::string, std::string>>;

// The server table as text: one bracket per column 0 to U, rows 1 to 5 separated by commas.
std::string TableText(const serverdir::ServerTable& table) {
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

// UTF-16LE bytes of UTF-8 text, after the byte-order mark.
std::string Utf16Le(std::string in) {
    std::string out(2 * in.size(), '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const iconv_t converter = iconv_open("UTF-16LE", "UTF-8");
    iconv(converter, &from, &inLeft, &to, &outLeft);
    iconv_close(converter);
    return "\xFF\xFE" + out.substr(0, out.size() - outLeft);
}

// The data sources as the ODBC tab reads them: name and driver of each column.
Pairs Columns(const odbc::DSNTable& table) {
    Pairs columns;
    for (int column = 1; column <= table.Columns(); ++column) {
        columns.emplace_back(table.at(odbc::DSNTable::kName, column),
                             table.at(odbc::DSNTable::kDriver, column));
    }
    return columns;
}

// The Linux registry view over files in a private directory, so that no test reads the
// workstation's own registry sources: export files named through VIRELO_REGISTRY, the text server
// directory through VIRELO_SQLHOSTS, the default locations inside the directory too; warnings
// are collected instead of printed.
class ViewFixture : public ::testing::Test {
protected:
    // The text directory that VIRELO_SQLHOSTS names is there but empty unless a test writes it
    // (a named file that is missing is warned about); unixODBC reads private ini files only.
    ViewFixture() {
        OdbcProcessConfig::Isolate();
        dir.write("sqlhosts", "");
    }

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
        const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000 + ++clock_, 0}};
        ASSERT_EQ(0, utimensat(AT_FDCWD, dir.file(name).c_str(), times, 0)) << name;
    }
    std::string servers() { return TableText(access.GetSqlhostsServers()); }
    // How many warnings so far name `file` and contain `text`.
    long warned(const std::string& file, const std::string& text) const {
        return std::count_if(warnings.begin(), warnings.end(), [&](const std::string& w) {
            return w.find(file) != std::string::npos && w.find(text) != std::string::npos;
        });
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
    long clock_ = 0;
};

// A registry export file in its usual form.
std::string Regedit5(const std::string& body) {
    return "Windows Registry Editor Version 5.00\r\n\r\n" + body;
}
// One server entry of an export file, with CR LF line ends.
std::string RegServer(const std::string& name, const std::string& host,
                      const std::string& service = "9088",
                      const std::string& protocol = "kasoctcp") {
    return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nembrion\\SQLHOSTS\\" + name + "]\r\n\"HOST\"=\"" +
           host + "\"\r\n\"SERVICE\"=\"" + service + "\"\r\n\"PROTOCOL\"=\"" + protocol +
           "\"\r\n\"OPTIONS\"=\"\"\r\n\r\n";
}

// The start of a server's key line in an export file.
const std::string kHostsLine = "[HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\";

using ServerTable = ViewFixture;
using DataSourceKeys = ViewFixture;
using BadInput = ViewFixture;

TEST_F(ServerTable, NoneAndThreeServersFromMixedSources) {
    // No file at all, an empty VIRELO_SQLHOSTS (no text directory, not even the default one) or
    // /dev/null: the two empty columns, without a word.
    write("etc/sqlhosts", "ol_default kasoctcp h 1\n");
    for (const char* none : {"", "/dev/null"}) {
        const ScopedEnv text("VIRELO_SQLHOSTS", none);
        EXPECT_EQ("[,,,,][,,,,]", servers()) << none;
    }
    EXPECT_EQ("[,,,,][,,,,]", servers());
    EXPECT_TRUE(warnings.empty()) << allWarnings();

    // Three servers: one from a UTF-16 export, two from a text directory in Windows-1252
    // (between comments and blank lines), which also names the export's server in other letters
    // (the export's entry wins). Names outside ASCII are found in any letter case.
    write("win10.reg", Utf16Le(Regedit5(RegServer("Überwachung", "über-host"))));
    write("sqlhosts",
          "# name  protocol  host  service  options\n\n"
          "ol_text  kbsoctcp db-text 9090 b=32767,k=1   # main\n"
          "\xFC"
          "berwachung kbsoctcp elsewhere 1\n"
          "\x80uro kbsoctcp \x93quoted\x94 1\n");
    useRegFiles({"win10.reg"});
    EXPECT_EQ(
        "[ol_text,db-text,9090,kbsoctcp,b=32767,k=1]"
        "[Überwachung,über-host,9088,kasoctcp,][€uro,“quoted”,1,kbsoctcp,][,,,,]",
        servers());
    EXPECT_EQ("über-host", access.GetRegValue(kLm, kHosts + "\\ÜBERWACHUNG", "host"));
    EXPECT_EQ(1, warned("sqlhosts:4:", "\"überwachung\" is also in a registry file"))
        << allWarnings();
    EXPECT_EQ(2u, warnings.size()) << allWarnings();
}

TEST_F(ServerTable, LaterExportWinsValueByValueAndDefaultLocationsComeInOrder) {
    write("first.reg",
          Regedit5(RegServer("ol_x", "first-host", "1111") +
                   "[HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\ol_gone]\r\n\"HOST\"=\"g\"\r\n"));
    write("second.reg", Regedit5("[HKLM\\software\\nembrion\\sqlhosts\\OL_X]\r\n"
                                 "\"host\"=\"second-host\"\r\n"
                                 "[-HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\ol_gone]\r\n"));
    useRegFiles({"first.reg", "second.reg"});
    EXPECT_EQ("[ol_x,second-host,1111,kasoctcp,][,,,,]", servers());
    useRegFiles({"second.reg", "first.reg"});
    // The key keeps the spelling it was first written with.
    EXPECT_EQ("[ol_gone,g,Not Found,Not Found,Not Found][OL_X,first-host,1111,kasoctcp,][,,,,]",
              servers());
    // An export from a 64-bit workstation that holds the directory only where 32-bit programs
    // keep their keys is read there, as such a program sees it; beside the usual key, not at all.
    write("wow.reg", Regedit5("[HKLM\\SOFTWARE\\WOW6432Node\\Nembrion\\SQLHOSTS\\ol_32]\r\n"
                              "\"HOST\"=\"h32\"\r\n"));
    useRegFiles({"wow.reg"});
    EXPECT_EQ("[ol_32,h32,Not Found,Not Found,Not Found][,,,,]", servers());
    useRegFiles({"wow.reg", "second.reg"});
    EXPECT_EQ("[OL_X,second-host,Not Found,Not Found,Not Found][,,,,]", servers());

    // Without VIRELO_REGISTRY and VIRELO_SQLHOSTS, the default locations in order.
    unsetenv("VIRELO_REGISTRY");
    unsetenv("VIRELO_SQLHOSTS");
    const std::string system = "etc/registry.d/";
    // Name order inside a directory: a.reg, b.reg, c.REG; notes.txt is not an export file.
    write(system + "b.reg", Regedit5(RegServer("ol_x", "from-b", "2")));
    write(system + "a.reg", Regedit5(RegServer("ol_x", "from-a", "1") + RegServer("ol_a", "a")));
    write(system + "c.REG", Regedit5("[HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\ol_x]\r\n"
                                     "\"PROTOCOL\"=\"from-c\"\r\n"));
    write(system + "notes.txt", Regedit5(RegServer("ol_notes", "n")));
    write("etc/sqlhosts", "ol_sys onsoctcp sys-host 9088\n");
    EXPECT_EQ(
        "[ol_a,a,9088,kasoctcp,][ol_sys,sys-host,9088,onsoctcp,][ol_x,from-b,2,from-c,][,,,,]",
        servers());

    // The user's directory comes after the system's.
    write("config/virelo/registry.d/mine.reg",
          Regedit5("[HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\ol_x]\r\n\"HOST\"=\"from-user\"\r\n"));
    EXPECT_EQ(
        "[ol_a,a,9088,kasoctcp,][ol_sys,sys-host,9088,onsoctcp,][ol_x,from-user,2,from-c,][,,,,]",
        servers());

    // Without XDG_CONFIG_HOME the user's directory is ~/.config.
    unsetenv("XDG_CONFIG_HOME");
    const ScopedEnv home("HOME", dir.file("home"));
    write("home/.config/virelo/registry.d/home.reg", Regedit5(RegServer("ol_home", "h")));
    EXPECT_EQ(
        "[ol_a,a,9088,kasoctcp,][ol_home,h,9088,kasoctcp,][ol_sys,sys-host,9088,onsoctcp,]"
        "[ol_x,from-b,2,from-c,][,,,,]",
        servers());
    // Files at the default places may be absent without a word.
    EXPECT_TRUE(warnings.empty()) << allWarnings();
}

TEST_F(ServerTable, ReadsAFileAgainOnlyWhenItChangedAndNoKeyIsOpen) {
    // The malformed line warns each time the file is read, which shows when it is.
    write("one.reg", Regedit5(RegServer("ol_a", "a") + "bad line\r\n"));
    useRegFiles({"one.reg"});
    EXPECT_EQ("[ol_a,a,9088,kasoctcp,][,,,,]", servers());
    EXPECT_EQ("[ol_a,a,9088,kasoctcp,][,,,,]", servers());
    EXPECT_EQ(1, warned("one.reg:", "not a key, a value or a comment")) << allWarnings();

    const std::string two =
        Regedit5(RegServer("ol_a", "a") + "bad line\r\n" + RegServer("ol_b", "b"));
    write("one.reg", two);
    EXPECT_EQ("[ol_a,a,9088,kasoctcp,][ol_b,b,9088,kasoctcp,][,,,,]", servers());
    EXPECT_EQ(2, warned("one.reg:", "not a key")) << allWarnings();

    write("one.reg", two);  // same size, new time
    servers();
    EXPECT_EQ(3, warned("one.reg:", "not a key")) << allWarnings();

    ASSERT_EQ(0, unlink(dir.file("one.reg").c_str()));
    EXPECT_EQ("[,,,,][,,,,]", servers());
    EXPECT_EQ(1, warned("one.reg", "No such file or directory")) << allWarnings();
    servers();
    EXPECT_EQ(1, warned("one.reg", "No such file or directory")) << allWarnings();

    // Nothing is rebuilt while a key is open.
    write("one.reg", Regedit5(RegServer("ol_a", "a")));
    platform::HKey key = access.OpenRegKey(kLm, kHosts);
    ASSERT_NE(0U, key);
    write("one.reg", Regedit5(RegServer("ol_a", "changed") + RegServer("ol_b", "b")));
    // The open handle, and every read while it is open, still see the tree it was opened in.
    EXPECT_EQ("Not Found", access.EnumRegKey(key, 1));
    EXPECT_EQ("a", access.GetRegValue(kLm, kHosts + "\\ol_a", "HOST"));
    EXPECT_EQ(0, access.CloseRegKey(key));
    EXPECT_EQ("[ol_a,changed,9088,kasoctcp,][ol_b,b,9088,kasoctcp,][,,,,]", servers());
}

TEST_F(DataSourceKeys, SystemAndUserDataSourcesOfUnixOdbc) {
    const std::string driver = kSqliteDriver;
    const auto list = [this](platform::HKey r) { return Columns(odbc::GetDSNList(access, r)); };
    {
        OdbcIni ini;
        ini.systemDsn("SysSales", {{"Driver", driver}});
        ini.userDsn("UsrLedger", {{"Driver", driver}});
        // An export from Windows that fills the same key gives way to unixODBC's list; its other
        // keys stay.
        write("odbc.reg",
              Regedit5("[HKLM\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources]\r\n"
                       "\"Ghost\"=\"SQL Server\"\r\n"
                       "[HKLM\\SOFTWARE\\ODBC\\ODBC.INI\\Ghost]\r\n\"Server\"=\"g\"\r\n"));
        useRegFiles({"odbc.reg"});
        EXPECT_EQ(list(kLm), (Pairs{{"SysSales", driver}}));
        EXPECT_EQ(list(reg::kCurrentUser), (Pairs{{"UsrLedger", driver}}));
        EXPECT_EQ("g", access.GetRegValue(kLm, "SOFTWARE\\ODBC\\ODBC.INI\\Ghost", "Server"));

        // Data sources added to the ini files are listed on the next read, without a restart.
        ini.systemDsn("SysArchive", {{"Driver", "SQLite3"}});
        EXPECT_EQ(list(kLm), (Pairs{{"SysSales", driver}, {"SysArchive", "SQLite3"}}));
    }
    // ... and so are those taken out of them (the ini files are empty again).
    EXPECT_EQ(list(kLm), Pairs());
    EXPECT_EQ(list(reg::kCurrentUser), Pairs());
    EXPECT_TRUE(warnings.empty()) << allWarnings();
}

TEST_F(BadInput, BrokenFilesWarnAndTheRestStillLoads) {
    std::filesystem::create_directory(dir.file("adir.reg"));
    ASSERT_EQ(0, mkfifo(dir.file("fifo.reg").c_str(), 0644));  // opening it must not block
    // A UTF-16 export cut off in the middle of a character of its PROTOCOL line (line 12).
    const std::string whole =
        Utf16Le(Regedit5(RegServer("ol_before", "b") + RegServer("ol_cut", "cut-host")));
    write("truncated.reg", whole.substr(0, whole.size() - 41));
    // Names longer than the registry allows, one of them sorting first, are skipped and hide
    // nothing: every other server is listed, one with a name of 255 characters too. A value of
    // 4 MB is "Not Found" for the reader's buffer, and the other values are still read. A key
    // nested deeper than a registry's 512 levels is skipped as well.
    const std::string longest(255, '2');
    std::string deep = kHostsLine + std::string("ol_deep");
    for (int level = 5; level <= 513; ++level) {
        deep += "\\k";
    }
    write("good.reg", Regedit5(kHostsLine + std::string(2048, '0') + "]\r\n\"HOST\"=\"x\"\r\n" +
                               kHostsLine + std::string(256, '1') + "]\r\n" +
                               RegServer("ol_good", "g", std::string(4 << 20, '9')) +
                               RegServer(longest, "h255") + "\"" + std::string(16384, 'v') +
                               "\"=\"x\"\r\n" + deep + "]\r\n\"HOST\"=\"x\"\r\n"));
    write("sqlhosts",
          "ol_short onsoctcp only-three\n"
          "ol_text onsoctcp text-host 1\n"
          "OL_TEXT onsoctcp other-host 2\n"
          "東京 onsoctcp tokyo 9088\n"
          "bad\\name onsoctcp h 1\n" +
              std::string(256, '3') + " onsoctcp h 1\n");
    useRegFiles({"adir.reg", "missing.reg", "fifo.reg", "truncated.reg", "good.reg"});

    EXPECT_EQ("[" + longest +
                  ",h255,9088,kasoctcp,][ol_before,b,9088,kasoctcp,]"
                  "[ol_cut,cut-host,9088,Not Found,Not Found][ol_good,g,Not Found,kasoctcp,]"
                  "[ol_text,text-host,1,onsoctcp,][東京,tokyo,9088,onsoctcp,][,,,,]",
              servers());
    const std::pair<const char*, const char*> expected[] = {
        {"adir.reg:", "is a directory"},
        {"missing.reg:", "No such file or directory"},
        {"fifo.reg:", "is not a regular file"},
        {"truncated.reg:", "ends in the middle of a UTF-16 character"},
        {"truncated.reg:12:", "no closing quote"},
        {"sqlhosts:1:", "needs the fields name, protocol, host and service"},
        {"sqlhosts:3:", "\"OL_TEXT\" is already named on an earlier line"},
        {"sqlhosts:5:", "backslash"},
        {"good.reg:3:", "a key name longer than 255 characters"},
        {"good.reg:5:", "a key name longer than 255 characters"},
        {"good.reg:18:", "a value name longer than 16383 characters"},
        {"good.reg:19:", "a key nested deeper than 512 levels"},
        {"sqlhosts:6:", "a server name longer than 255 characters"}};
    for (const auto& [file, text] : expected) {
        EXPECT_EQ(1, warned(file, text)) << file << " " << text << "\n" << allWarnings();
    }
    EXPECT_EQ(std::size(expected), warnings.size()) << allWarnings();

    // Ten thousand bad lines give twenty warnings and a count.
    std::string garbage;
    for (int i = 0; i < 10'000; ++i) {
        garbage += "bad line\n";
    }
    write("sqlhosts", garbage);
    warnings.clear();
    servers();
    EXPECT_EQ(21u, warnings.size());
    EXPECT_EQ(dir.file("sqlhosts") + ": and 9980 more warnings", warnings.back());
}

TEST_F(BadInput, UnreadableFile) {
    write("locked.reg", Regedit5(RegServer("ol_locked", "l")));
    write("open.reg", Regedit5(RegServer("ol_open", "o")));
    ASSERT_EQ(0, chmod(dir.file("locked.reg").c_str(), 0));
    if (geteuid() == 0) {
        // The child below runs as nobody, and fixes the permissions of a file it owns.
        ASSERT_EQ(0, chown(dir.file("locked.reg").c_str(), 65534, 65534));
    }
    ASSERT_EQ(0, chmod(dir.path().c_str(), 0755));
    useRegFiles({"locked.reg", "open.reg"});
    // Root reads any file, so the view is checked by an ordinary user in a child process.
    EXPECT_EXIT(
        {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                std::fprintf(stderr, "cannot become nobody\n");
                std::_Exit(2);
            }
            const std::string table = servers();
            bool ok = table == "[ol_open,o,9088,kasoctcp,][,,,,]" &&
                      warned("locked.reg:", "Permission denied") == 1;
            std::fprintf(stderr, "%s\n%s", table.c_str(), allWarnings().c_str());
            // Once its permissions are fixed the file is read, though its content is the same.
            ok = ok && chmod(dir.file("locked.reg").c_str(), 0644) == 0 &&
                 servers() == "[ol_locked,l,9088,kasoctcp,][ol_open,o,9088,kasoctcp,][,,,,]";
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(RegAccessTest, ServerTableAndSubkeysInCaseInsensitiveOrderWithMissingValues) {
    RegistryTree tree;
    RegAccess access(tree);
    EXPECT_EQ(TableText(access.GetSqlhostsServers()), "[,,,,][,,,,]") << "no SQLHOSTS key";
    // A key that cannot be opened has handle 0, lists nothing and cannot be closed.
    platform::HKey key = access.OpenRegKey(kLm, kHosts);
    EXPECT_EQ(access.EnumRegKey(key, 0), "Not Found");
    EXPECT_EQ(access.CloseRegKey(key), 6);
    // Key and value names in any letter case; subkeys in alphabetical order without regard to
    // letter case; each value in its row, "Not Found" where it is missing.
    tree.setString(kLm, "software\\nembrion\\sqlhosts\\x", "host", "hx");
    tree.setString(kLm, kHosts + "\\x", "Service", "sx");
    tree.setString(kLm, kHosts + "\\Beta", "PROTOCOL", "pb");
    tree.setString(kLm, kHosts + "\\alpha", "OPTIONS", "oa");
    EXPECT_EQ(TableText(access.GetSqlhostsServers()),
              "[alpha,Not Found,Not Found,Not Found,oa][Beta,Not Found,Not Found,pb,Not Found]"
              "[x,hx,sx,Not Found,Not Found][,,,,]");
    tree.createKey(kLm, kHosts + "\\" + kLong2048);
    key = access.OpenRegKey(kLm, kHosts);
    ASSERT_NE(key, 0U);
    EXPECT_EQ(access.EnumRegKey(key, 3), "Not Found") << "a name longer than the buffer";
    EXPECT_EQ(access.EnumRegKey(key, -1), "Not Found");
    EXPECT_EQ(access.CloseRegKey(key), 0);
    EXPECT_FALSE(tree.hasOpenKeys());
}

// Each row is one value of one key, read by its name and listed by its index. Each root gives
// its own data sources in registry order; a value whose data reads "Not Found" ends the list,
// and other types read as text.
TEST(RegAccessTest, ValuesByNameByIndexAndAsDataSources) {
    // name, type, data, read by name, listed by index
    const std::tuple<std::string, std::uint32_t, std::string, std::string, std::string> rows[] = {
        {"HOST", reg::kSz, std::string("host1\0", 6), "host1", "1|HOST|host1"},
        {"Eight", reg::kDword, std::string("\x08\0\0\0", 4), "008", "4|Eight|008"},
        {"Largest", reg::kDword, std::string(4, '\xFF'), "4294967295", "4|Largest|4294967295"},
        // The buffer starts out as spaces, which stay in the bytes a short DWORD leaves.
        {"OneByte", reg::kDword, "\x08", "538976264", "4|OneByte|538976264"},
        // By name as upper-case hex; by index as characters, less the last.
        {"B", reg::kBinary, "\x0A\x41\xFF", "0A41FF", "3|B|\nA"},
        {"EmptyBinary", reg::kBinary, "", "", "3|EmptyBinary|"},
        {"E", reg::kSz, "", "", "1|E|"},
        {"P", reg::kExpandSz, std::string("%TEMP%\\x\0", 9), "%TEMP%\\x", "2|P|%TEMP%\\x"},
        {"M", reg::kMultiSz, std::string("a\0b\0\0", 5), std::string("a\0b\0", 4),
         std::string("7|M|a\0b\0", 8)},
        // The buffers hold 2048 bytes, the NUL of a text included.
        {"L", reg::kSz, kLong2047 + '\0', kLong2047, "1|L|" + kLong2047},
        {"TooLong", reg::kSz, kLong2048 + '\0', "Not Found", "Not Found"},
        {kLong2047, reg::kSz, std::string("d\0", 2), "d", "1|" + kLong2047 + "|d"},
        {kLong2048, reg::kSz, std::string("d\0", 2), "d", "Not Found"},
    };
    RegistryTree tree;
    RegAccess access(tree);
    EXPECT_EQ(odbc::GetDSNList(access, kLm).Columns(), 0) << "no key";
    tree.createKey(reg::kCurrentUser, odbc::kDataSourcesKey);
    EXPECT_EQ(odbc::GetDSNList(access, reg::kCurrentUser).Columns(), 0) << "an empty key";
    for (const auto& [name, type, data, read, listed] : rows) {
        tree.setValue(kLm, kKey, name, type, data);
    }
    tree.setString(reg::kCurrentUser, kKey, "Mine", "m");
    for (std::int32_t i = 0; i < std::ssize(rows); ++i) {
        const auto& [name, type, data, read, listed] = rows[i];
        SCOPED_TRACE(name.substr(0, 16));
        EXPECT_EQ(access.GetRegValue(kLm, kKey, name), read);
        const serverdir::RegValueRecord record = access.EnumRegValue(kLm, kKey, i);
        EXPECT_EQ(record.Data == serverdir::kNotFound
                      ? record.Data
                      : std::to_string(record.Type) + "|" + record.Name + "|" + record.Data,
                  listed);
    }
    EXPECT_EQ(access.GetRegValue(kLm, kKey + "\\Missing", "HOST"), "Not Found");
    EXPECT_EQ(access.GetRegValue(reg::kCurrentUser, kKey, "Mine"), "m");
    EXPECT_EQ(access.EnumRegValue(kLm, kKey, -1).Data, "Not Found");

    tree.setString(kLm, odbc::kDataSourcesKey, "Zeta", "SQLite3");
    tree.setString(kLm, odbc::kDataSourcesKey, "alpha db", "PostgreSQL ANSI");
    tree.setValue(kLm, odbc::kDataSourcesKey, "counted", reg::kDword, std::string("\x2A\0\0\0", 4));
    tree.setString(kLm, odbc::kDataSourcesKey, "odd", "Not Found");
    tree.setString(kLm, odbc::kDataSourcesKey, "hidden", "SQLite3");
    tree.setString(reg::kCurrentUser, odbc::kDataSourcesKey, "mine", "SQLite3");
    const odbc::DSNTable system = odbc::GetDSNList(access, kLm);
    EXPECT_EQ(Columns(system),
              (Pairs{{"Zeta", "SQLite3"}, {"alpha db", "PostgreSQL ANSI"}, {"counted", "042"}}));
    EXPECT_THROW(system.at(odbc::DSNTable::kName, 0), std::out_of_range) << "columns start at 1";
    EXPECT_THROW(system.at(odbc::DSNTable::kName, 4), std::out_of_range);
    EXPECT_EQ(Columns(odbc::GetDSNList(access, reg::kCurrentUser)), (Pairs{{"mine", "SQLite3"}}));
    EXPECT_FALSE(tree.hasOpenKeys());
}

}  // namespace
}  // namespace virelo::test
