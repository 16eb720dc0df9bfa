// Bad input to the Linux registry view: every broken file gives a warning that names it (and the
// line), or a "Not Found"; nothing crashes or hangs, and every good entry still loads.
#include <sys/stat.h>
#include <unistd.h>

#include "RegistryTestEnv.h"
#include "ViewFixture.h"

namespace virelo::test {
namespace {

using BadInput = ViewFixture;
namespace reg = platform::reg;

const std::string kHosts = serverdir::kSqlhostsKey;

TEST_F(BadInput, BrokenFilesWarnAndTheRestStillLoads) {
    write("empty.reg", "");
    write("binary.reg", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18));
    std::filesystem::create_directory(dir.file("adir.reg"));
    ASSERT_EQ(0, mkfifo(dir.file("fifo.reg").c_str(), 0644));  // opening it must not block
    // A UTF-16 export cut off in the middle of a character of its PROTOCOL line (line 12).
    const std::string whole =
        Utf16Le(Regedit5(RegServer("ol_before", "b") + RegServer("ol_cut", "cut-host")));
    write("truncated.reg", whole.substr(0, whole.size() - 41));
    write("nobom.reg", Utf16Le(Regedit5(RegServer("ol_nobom", "n")), false));
    write("good.reg", Regedit5(RegServer("ol_good", "g")));
    write("sqlhosts",
          "ol_short onsoctcp only-three\n"
          "ol_text onsoctcp text-host 1\n"
          "OL_TEXT onsoctcp other-host 2\n"
          "東京 onsoctcp tokyo 9088\n"
          "bad\\name onsoctcp h 1\n");
    useRegFiles({"empty.reg", "binary.reg", "adir.reg", "missing.reg", "fifo.reg", "truncated.reg",
                 "nobom.reg", "good.reg"});

    EXPECT_EQ(
        "[ol_before,b,9088,kasoctcp,][ol_cut,cut-host,9088,Not Found,Not Found]"
        "[ol_good,g,9088,kasoctcp,][ol_nobom,n,9088,kasoctcp,][ol_text,text-host,1,onsoctcp,]"
        "[東京,tokyo,9088,onsoctcp,][,,,,]",
        servers());
    const std::pair<const char*, const char*> expected[] = {
        {"empty.reg:", "the file is empty"},
        {"binary.reg:1:", "not a registry export file"},
        {"adir.reg:", "is a directory"},
        {"missing.reg:", "No such file or directory"},
        {"fifo.reg:", "is not a regular file"},
        {"truncated.reg:", "ends in the middle of a UTF-16 character"},
        {"truncated.reg:12:", "no closing quote"},
        {"nobom.reg:", "no byte-order mark"},
        {"sqlhosts:1:", "needs the fields name, protocol, host and service"},
        {"sqlhosts:3:", "\"OL_TEXT\" is already named on an earlier line"},
        {"sqlhosts:5:", "backslash"}};
    for (const auto& [file, text] : expected) {
        EXPECT_EQ(1, warned(file, text)) << file << " " << text << "\n" << allWarnings();
    }
    EXPECT_EQ(std::size(expected), warnings.size()) << allWarnings();
}

TEST_F(BadInput, TextDirectoryThatIsADirectory) {
    ASSERT_EQ(0, unlink(dir.file("sqlhosts").c_str()));
    std::filesystem::create_directory(dir.file("sqlhosts"));
    EXPECT_EQ("[,,,,][,,,,]", servers());
    EXPECT_EQ(1, warned("sqlhosts:", "is a directory")) << allWarnings();
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

TEST_F(BadInput, FourMegabyteValues) {
    const std::string big(4 << 20, 'x');
    // A binary value of 256 KB over 10,000 continuation lines.
    constexpr std::size_t kBlob = 256 << 10;
    std::string hexLines = "\"Blob\"=hex:";
    for (std::size_t i = 0; i < kBlob; ++i) {
        hexLines += (i % 25 == 24) ? "ab,\\\r\n  " : "ab,";
    }
    hexLines += "cd\r\n";
    write(
        "big.reg",
        Utf16Le(Regedit5("[HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\ol_big]\r\n\"HOST\"=\"big-host\"\r\n"
                         "\"OPTIONS\"=\"" +
                         big + "\"\r\n" + hexLines)));
    useRegFiles({"big.reg"});
    // Too long for the reader's buffer: "Not Found", and the other values are still read.
    EXPECT_EQ("[ol_big,big-host,Not Found,Not Found,Not Found][,,,,]", servers());
    std::uint32_t type = 0, size = 16 << 20;
    std::string data;
    platform::HKey key = 0;
    ASSERT_EQ(reg::kSuccess, view.openKey(reg::kLocalMachine, kHosts + "\\ol_big", key));
    ASSERT_EQ(reg::kSuccess, view.queryValue(key, "OPTIONS", type, data, size));
    EXPECT_EQ(big + '\0', data);
    size = 16 << 20;
    ASSERT_EQ(reg::kSuccess, view.queryValue(key, "Blob", type, data, size));
    EXPECT_EQ(kBlob + 1, size);
    EXPECT_EQ("\xAB\xAB", data.substr(0, 2));
    EXPECT_EQ("\xAB\xCD", data.substr(data.size() - 2));
    view.closeKey(key);
    EXPECT_TRUE(warnings.empty()) << allWarnings();
}

TEST_F(BadInput, AHundredThousandKeys) {
    std::string many = "Windows Registry Editor Version 5.00\n\n";
    for (int i = 0; i < 100'000; ++i) {
        many += "[HKLM\\SOFTWARE\\Nembrion\\SQLHOSTS\\s" + std::to_string(100'000 + i) +
                "]\n\"HOST\"=\"h" + std::to_string(i) + "\"\n";
    }
    write("many.reg", many);
    useRegFiles({"many.reg"});
    using Table = serverdir::ServerTable;
    const Table table = access.GetSqlhostsServers();
    ASSERT_EQ(100'000, table.UpperBound());
    EXPECT_EQ(table.at(Table::kName, 0) + table.at(Table::kHost, 0) + " " +
                  table.at(Table::kName, 99'999) + table.at(Table::kHost, 99'999) + " " +
                  table.at(Table::kName, 100'000),
              "s100000h0 s199999h99999 ");
    EXPECT_TRUE(warnings.empty()) << allWarnings();
}

TEST_F(BadInput, NonAsciiServerNames) {
    write("win.reg", Utf16Le(Regedit5(RegServer("Überwachung", "über-host"))));
    write("nt4.reg",
          "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nembrion\\SQLHOSTS\\Caf\xE9]\n"
          "\"HOST\"=\"caf\xE9-host\"\n");
    write("sqlhosts", "überwachung onsoctcp other 1\n東京 onsoctcp tokyo 9088\n");
    useRegFiles({"win.reg", "nt4.reg"});
    EXPECT_EQ(
        "[Café,café-host,Not Found,Not Found,Not Found][Überwachung,über-host,9088,kasoctcp,]"
        "[東京,tokyo,9088,onsoctcp,][,,,,]",
        servers());
    EXPECT_EQ("über-host",
              access.GetRegValue(reg::kLocalMachine, kHosts + "\\ÜBERWACHUNG", "host"));
    EXPECT_EQ("café-host", access.GetRegValue(reg::kLocalMachine, kHosts + "\\CAFÉ", "HOST"));
    EXPECT_EQ(1, warned("sqlhosts:1:", "is also in a registry file")) << allWarnings();
    EXPECT_EQ(1, warned("nt4.reg:", "read as Windows-1252")) << allWarnings();
}

}  // namespace
}  // namespace virelo::test
