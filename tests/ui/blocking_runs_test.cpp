// The runs that block the window: each shows the busy cursor while it blocks, and the two that
// log in through the ODBC driver manager set the default login time-out on the connection.
#include "support/OdbcIni.h"
#include "support/StandInDriver.h"
#include "support/WindowFixture.h"

namespace virelo::ui {
namespace {

using Texts = std::vector<std::string>;

// What the recording services were asked to do, each with the cursor shown at that moment.
struct Seen {
    void note(const std::string& what) {
        const QCursor* cursor = QApplication::overrideCursor();
        calls.push_back(
            what + (cursor != nullptr && cursor->shape() == Qt::WaitCursor ? " busy" : " idle"));
    }
    Texts calls;
};

struct CursorIcmp : test::ScriptedIcmp {
    explicit CursorIcmp(Seen& seen) : seen(seen) { scripted = platform::EchoResult{}; }
    bool sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                  platform::EchoResult& result, std::string& openFailure) override {
        seen.note("echo");
        return ScriptedIcmp::sendEcho(address, data, timeoutMs, result, openFailure);
    }
    Seen& seen;
};

struct CursorSockets : test::CountingSockets {
    explicit CursorSockets(Seen& seen) : seen(seen) {}
    std::optional<platform::ServiceEntry> serviceByName(const std::string& name,
                                                        const std::string& protocol) override {
        seen.note("service");
        return CountingSockets::serviceByName(name, protocol);
    }
    Seen& seen;
};

struct CursorFiles : platform::posix::PosixFiles {
    explicit CursorFiles(Seen& seen) : seen(seen) {}
    platform::FileStatus append(const std::string& path, std::string_view text) override {
        seen.note("log");
        return PosixFiles::append(path, text);
    }
    Seen& seen;
};

struct CursorProcesses : platform::posix::PosixProcesses {
    explicit CursorProcesses(Seen& seen) : seen(seen) {}
    std::int32_t runAndWait(const std::string&, const platform::Environment&,
                            platform::ChildOutput) override {
        seen.note("process");
        return 2;  // as if java were missing: the run ends at once
    }
    Seen& seen;
};

struct CursorConnector : serverdir::LocalNativeConnector {
    CursorConnector(platform::Network& network, Seen& seen)
        : LocalNativeConnector(network), seen(seen) {}
    void PingServer(const std::string& server, const std::string& host, const std::string& service,
                    const std::string& protocol, const std::string& user,
                    const std::string& password, const std::string& database) override {
        seen.note("connector");
        LocalNativeConnector::PingServer(server, host, service, protocol, user, password, database);
    }
    Seen& seen;
};

// The connection tester as the program makes it: default login time-out.
struct CursorTester : complus::LocalConnectionTester {
    CursorTester(platform::Network& network, platform::Registry& registry, Seen& seen)
        : LocalConnectionTester(network, registry), seen(seen) {}
    void Connect(const std::string& text, bool& success) override {
        seen.note("tester");
        LocalConnectionTester::Connect(text, success);
    }
    Seen& seen;
};

class BlockingRunsTest : public test::WindowFixture {
protected:
    void SetUp() override {
        frmVIRELO::Components components;
        components.CreateNativeConnector = [this] {
            return std::make_unique<CursorConnector>(network, seen);
        };
        components.CreateConnectionTester = [this] {
            return std::make_unique<CursorTester>(network, registry, seen);
        };
        window = std::make_unique<frmVIRELO>(recording, sideWindows, components, kDpi);
        activate();
    }
    ~BlockingRunsTest() override { window.reset(); }  // before the services it uses

    Seen seen;
    CursorIcmp echo{seen};
    CursorSockets sockets2{seen};
    CursorFiles files2{seen};
    CursorProcesses processes2{seen};
    platform::Platform recording{sockets2, echo, files2, clock, processes2, boxes, registry};
    test::OdbcIni ini;
    test::StandInDriver driver{ini};
};

TEST_F(BlockingRunsTest, EveryBlockingRunShowsTheBusyCursorUntilItEnds) {
    const struct {
        const char *button, *fields, *call;
    } runs[] = {
        {"cmdPingTCP", "txtEnterHostName=localhost", "echo"},
        {"cmdRetrieve", "txtEnterSrvPort=http", "service"},
        {"cmdPingCon", "", "connector"},
        {"cmdPingADO", "cboSystemDSN=no-such-source", "tester"},
        {"cmdODBCPing", "cboODBCSysDSN=no-such-source", "log"},
        {"cmdConnectCompJDBC", "", "process"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.button);
        fill(run.fields);
        seen.calls.clear();
        click(run.button);
        const std::string busy = std::string(run.call) + " busy";
        EXPECT_THAT(seen.calls, ::testing::Contains(busy));
        EXPECT_THAT(seen.calls,
                    ::testing::Not(::testing::Contains(std::string(run.call) + " idle")));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "gone after the run";
    }
}

// The stand-in driver records the attributes set on the connection before the login.
TEST_F(BlockingRunsTest, BothOdbcPingsSetTheDefaultLoginTimeOut) {
    const std::pair<const char*, std::string> pings[] = {
        {"cmdODBCPing", "Connect standin|u|p"},
        {"cmdPingADO", "DriverConnect DSN=standin;UID=u;PWD=p"},
    };
    fill("cboODBCSysDSN=standin|txtODBCUID=u|txtODBCPWD=p|cboSystemDSN=standin|txtUID=u|txtPWD=p");
    for (const auto& [button, login] : pings) {
        SCOPED_TRACE(button);
        driver.take();
        click(button);
        EXPECT_EQ(driver.take(), (Texts{"AllocHandle 1", "AllocHandle 2", "SetConnectAttr 103 15",
                                        login, "Disconnect", "FreeHandle 2", "FreeHandle 1"}));
    }
}

}  // namespace
}  // namespace virelo::ui
