// The runs that block the window: each shows the busy cursor while it blocks, and the two that
// log in through the ODBC driver manager set the default login time-out on the connection.
#include "support/StandInDriver.h"
#include "support/WindowFixture.h"

namespace virelo::ui {
namespace {

using Texts = std::vector<std::string>;

// What the recording services below were asked to do, each with the cursor of that moment.
Texts seen;
void Note(const std::string& what) {
    const QCursor* cursor = QApplication::overrideCursor();
    seen.push_back(what + (cursor != nullptr && cursor->shape() == Qt::WaitCursor ? " busy" : ""));
}

struct CursorIcmp : test::ScriptedIcmp {
    CursorIcmp() { scripted = platform::EchoResult{}; }
    bool sendEcho(std::uint32_t address, std::string_view data, std::uint32_t timeoutMs,
                  platform::EchoResult& result, std::string& openFailure) override {
        Note("echo");
        return ScriptedIcmp::sendEcho(address, data, timeoutMs, result, openFailure);
    }
};
struct CursorSockets : test::CountingSockets {
    std::optional<platform::ServiceEntry> serviceByName(const std::string& name,
                                                        const std::string& protocol) override {
        Note("service");
        return CountingSockets::serviceByName(name, protocol);
    }
};
struct CursorFiles : platform::posix::PosixFiles {
    platform::FileStatus append(const std::string& path, std::string_view text) override {
        Note("log");
        return PosixFiles::append(path, text);
    }
};
struct CursorProcesses : platform::posix::PosixProcesses {
    std::int32_t runAndWait(const std::string&, const platform::Environment&,
                            platform::ChildOutput) override {
        Note("process");
        return 2;  // as if java were missing: the run ends at once
    }
};
struct CursorConnector : serverdir::LocalNativeConnector {
    using LocalNativeConnector::LocalNativeConnector;
    void PingServer(const std::string& server, const std::string& host, const std::string& service,
                    const std::string& protocol, const std::string& user,
                    const std::string& password, const std::string& database) override {
        Note("connector");
        LocalNativeConnector::PingServer(server, host, service, protocol, user, password, database);
    }
};
// The connection tester as the program makes it, with the default login time-out.
struct CursorTester : complus::LocalConnectionTester {
    using LocalConnectionTester::LocalConnectionTester;
    void Connect(const std::string& text, bool& success) override {
        Note("tester");
        LocalConnectionTester::Connect(text, success);
    }
};

class BlockingRunsTest : public test::WindowFixture {
protected:
    void SetUp() override {
        window = std::make_unique<frmVIRELO>(
            recording, sideWindows,
            frmVIRELO::Components{
                [this] { return std::make_unique<CursorConnector>(network); },
                [this] { return std::make_unique<CursorTester>(network, registry); }},
            kDpi);
        activate();
    }
    ~BlockingRunsTest() override { window.reset(); }  // before the services it uses

    CursorIcmp echo;
    CursorSockets sockets2;
    CursorFiles files2;
    CursorProcesses processes2;
    platform::Platform recording{sockets2, echo, files2, clock, processes2, boxes, registry};
    test::OdbcIni ini;
    test::StandInDriver driver{ini};
};

TEST_F(BlockingRunsTest, EveryBlockingRunShowsTheBusyCursorUntilItEnds) {
    const std::pair<const char*, std::string> runs[] = {
        {"txtEnterHostName=localhost", "cmdPingTCP echo"},
        {"txtEnterSrvPort=http", "cmdRetrieve service"},
        {"", "cmdPingCon connector"},
        {"cboSystemDSN=no-such-source", "cmdPingADO tester"},
        {"cboODBCSysDSN=no-such-source", "cmdODBCPing log"},
        {"", "cmdConnectCompJDBC process"},
    };
    for (const auto& [fields, run] : runs) {
        SCOPED_TRACE(run);
        const std::string button = run.substr(0, run.find(' ')),
                          call = run.substr(run.find(' ') + 1);
        fill(fields);
        seen.clear();
        click(button.c_str());
        EXPECT_THAT(seen, testing::Contains(call + " busy"));
        EXPECT_THAT(seen, testing::Not(testing::Contains(call))) << "a call without it";
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "gone after the run";
    }
}

// The stand-in driver records the attributes set on the connection before the login.
TEST_F(BlockingRunsTest, BothOdbcPingsSetTheDefaultLoginTimeOut) {
    fill("cboODBCSysDSN=standin|txtODBCUID=u|txtODBCPWD=p|cboSystemDSN=standin|txtUID=u|txtPWD=p");
    const std::pair<const char*, const char*> pings[] = {
        {"cmdODBCPing", "Connect standin|u|p"},
        {"cmdPingADO", "DriverConnect DSN=standin;UID=u;PWD=p"}};
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
