// The Linux registry view: which files it reads, in which order, how their entries merge, and
// when it reads them again.
#include <unistd.h>

#include "RegistryTestEnv.h"
#include "ViewFixture.h"

namespace virelo::test {
namespace {

using ServerTable = ViewFixture;

TEST_F(ServerTable, NoneOneAndThreeServersFromMixedSources) {
    // No file at all: the two empty columns.
    EXPECT_EQ("[,,,,][,,,,]", servers());
    EXPECT_TRUE(warnings.empty()) << allWarnings();

    // One server in the text directory, between comments and blank lines.
    write("sqlhosts",
          "# name  protocol  host  service  options\n\nol_text kbsoctcp db-text 9090   # main\n");
    EXPECT_EQ("[ol_text,db-text,9090,kbsoctcp,][,,,,]", servers());

    // Three servers: one from a UTF-16 export, one from a REGEDIT4 export, one from the text
    // directory, which also names the UTF-16 export's server (the export's entry wins).
    write("win10.reg", Utf16Le(Regedit5(RegServer("ol_utf16", "db-utf16"))));
    write("nt4.reg",
          "REGEDIT4\n\n" + RegServer("OL_REGEDIT4", "db-regedit4", "sqlexec", "kcsoctcp"));
    write("sqlhosts",
          "ol_text  kbsoctcp db-text 9090 b=32767,k=1\n"
          "ol_utf16 kbsoctcp elsewhere 1\n");
    useRegFiles({"win10.reg", "nt4.reg"});
    EXPECT_EQ(
        "[OL_REGEDIT4,db-regedit4,sqlexec,kcsoctcp,][ol_text,db-text,9090,kbsoctcp,b=32767,k=1]"
        "[ol_utf16,db-utf16,9088,kasoctcp,][,,,,]",
        servers());
    EXPECT_EQ(1, warned("sqlhosts:2:", "\"ol_utf16\" is also in a registry file")) << allWarnings();
}

TEST_F(ServerTable, LaterExportWinsValueByValue) {
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
}

TEST_F(ServerTable, DefaultLocationsInOrder) {
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

TEST_F(ServerTable, ReadsAFileAgainOnlyWhenItChanged) {
    // The malformed line warns each time the file is read, which shows when it is.
    write("one.reg", Regedit5(RegServer("ol_a", "a") + "bad line\r\n"));
    useRegFiles({"one.reg"});
    EXPECT_EQ("[ol_a,a,9088,kasoctcp,][,,,,]", servers());
    EXPECT_EQ("[ol_a,a,9088,kasoctcp,][,,,,]", servers());
    EXPECT_EQ(1, warned("one.reg:", "not a key, a value or a comment")) << allWarnings();

    write("one.reg", Regedit5(RegServer("ol_a", "a") + "bad line\r\n" + RegServer("ol_b", "b")));
    EXPECT_EQ("[ol_a,a,9088,kasoctcp,][ol_b,b,9088,kasoctcp,][,,,,]", servers());
    EXPECT_EQ(2, warned("one.reg:", "not a key")) << allWarnings();

    stamp("one.reg");  // same size, new time
    servers();
    EXPECT_EQ(3, warned("one.reg:", "not a key")) << allWarnings();

    ASSERT_EQ(0, unlink(dir.file("one.reg").c_str()));
    EXPECT_EQ("[,,,,][,,,,]", servers());
    EXPECT_EQ(1, warned("one.reg", "No such file or directory")) << allWarnings();
    servers();
    EXPECT_EQ(1, warned("one.reg", "No such file or directory")) << allWarnings();
}

TEST_F(ServerTable, NothingIsRebuiltWhileAKeyIsOpen) {
    write("one.reg", Regedit5(RegServer("ol_a", "a")));
    useRegFiles({"one.reg"});
    platform::HKey key = access.OpenRegKey(platform::reg::kLocalMachine, serverdir::kSqlhostsKey);
    ASSERT_NE(0U, key);
    write("one.reg", Regedit5(RegServer("ol_a", "changed") + RegServer("ol_b", "b")));
    // The open handle, and every read while it is open, still see the tree it was opened in.
    EXPECT_EQ("Not Found", access.EnumRegKey(key, 1));
    EXPECT_EQ("a", access.GetRegValue(platform::reg::kLocalMachine,
                                      std::string(serverdir::kSqlhostsKey) + "\\ol_a", "HOST"));
    EXPECT_EQ(0, access.CloseRegKey(key));
    EXPECT_EQ("[ol_a,changed,9088,kasoctcp,][ol_b,b,9088,kasoctcp,][,,,,]", servers());
}

}  // namespace
}  // namespace virelo::test
