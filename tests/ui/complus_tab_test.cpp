// The COM+ tab on the real window: the builder's formats and tests, the option handlers, and the
// lists and the COM+ ping through a scripted component, whose
// outcomes cannot all be made to happen here (the real one is tested on its own).
#include <cctype>

#include "support/OdbcIni.h"
#include "support/StandInDriver.h"
#include "support/WindowFixture.h"
#include "ui/tabs/ComPlusTab.h"

namespace virelo::ui {
namespace {

using Texts = std::vector<std::string>;

// A component whose answers the test chooses; every list holds one name of its own.
class ScriptedTester : public complus::ConnectionTester {
public:
    static complus::NameTable Table(const Texts& names) {
        complus::NameTable table(1, static_cast<int>(names.size()));
        table.at(1, 0) = "never listed";
        for (std::size_t i = 0; i < names.size(); ++i) {
            table.at(1, static_cast<int>(i) + 1) = names[i];
        }
        return table;
    }
    std::string ResultText() override { return "closing line"; }
    std::vector<complus::Property> ConnectionProperties() override { return properties; }
    std::int32_t ErrorNumber() override { return -1; }
    std::string ErrorDescription() override { return ""; }
    complus::NameTable OdbcDriverList() override { return Table({"driver"}); }
    complus::NameTable UserDsnList() override { return Table(users); }
    complus::NameTable SystemDsnList() override { return Table({"system"}); }
    complus::NameTable OleDbProviderList() override { return Table({"provider"}); }
    std::vector<complus::ServerItem> ServerList() override { return {{"server"}}; }
    std::string MachineName() override { return "  far-host  "; }
    void Connect(const std::string& text, bool& success) override {
        connected.push_back(text);
        if (raise) {
            throw Error(-2147467259, "VireloOLELib", "The machine cannot be reached");
        }
        success = succeed;
    }
    complus::ServerEntryCollection ServerEntries() override { return {}; }

    Texts users = {"u1", "u2"};
    std::vector<complus::Property> properties;
    Texts connected;
    bool succeed = false;
    bool raise = false;
};

class ComPlusTabTest : public test::WindowFixture {
protected:
    ComPlusTab& tab() { return window->comPlusTab(); }
    std::string pane() const { return text("txtDiagCOM"); }
};

TEST_F(ComPlusTabTest, TheBuilderFollowsItsFormatsTestsAndMask) {
    const std::string odbc =
        "Provider=MSDASQL;DRIVER={D};DB=db;HOST=h;SRVR=srv;SERV=svc;"
        "PRO=kasoctcp;UID=;PWD=";
    const std::string blank =
        "Provider=MSDASQL;DRIVER={ };DB= ;HOST= ;SRVR= ;SERV= ;"
        "PRO=kasoctcp;UID=;PWD=";
    const std::string ole = "Provider=nbxoledbc;Data Source=db@srv;User ID=user1;Password=";
    // The string built, the masked one that txtDSNLess then shows (it keeps its text when both are
    // the same), or the message box and the field that gets the focus.
    const struct {
        std::string option, fields, unmasked, masked, refusal = "";
    } cases[] = {
        {"optSystemDSN", "cboSystemDSN=Sales|txtPWD=pw", "DSN=Sales", "DSN=Sales"},
        {"optUserDSN", "cboUserDSN=Sales|txtUID=user1|txtPWD={p;w}",
         "DSN=Sales;UID=user1;PWD={p;w}", "DSN=Sales;UID=user1;PWD=########"},
        {"optUserDSN", "cboUserDSN=Sales|txtUID=user1", "", "", "Please Enter a Password|txtPWD"},
        {"optUserDSN", "cboSystemDSN=Sales", "", "", "Please Select a User DSN|cboUserDSN"},
        {"optODBCDriver",
         "cboODBCDriver=D|txtADODatabase=db|txtADOHost=h|cboADOServer=srv|txtADOPort=svc", odbc,
         odbc + "########"},
        {"optODBCDriver", "", "", "", "Please Select a ODBC Driver|cboODBCDriver"},
        {"optODBCDriver", "cboODBCDriver=D|cboADOServer=s|txtADOHost=h", "", "",
         "Please Enter a Service Name or Port #|txtADOPort"},
        {"optODBCDriver",
         "cboODBCDriver= |txtADODatabase= |txtADOHost= |cboADOServer= |txtADOPort= ", blank,
         blank + "########"},
        {"optADOOleDriver",
         "cboADOOleDriver=any|txtADODatabase=db|cboADOServer=srv|txtUID=user1|txtPWD=secret",
         ole + "secret", ole + "########"},
        {"optADOOleDriver", "cboADOOleDriver=any|cboADOServer=srv", "", "",
         "Please Enter a Database Name|txtADODatabase"},
        {"optDSNLess", "txtDSNLess=", "", "", "Please Enter a Connection String|txtDSNLess"},
        // The manual way keeps the typed string, exactly as typed.
        {"optDSNLess", "txtDSNLess= DSN=x;PWD=typed ", " DSN=x;PWD=typed ", " DSN=x;PWD=typed "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        click(c.option.c_str());
        tab().cmdClearADO_Click();
        fill("txtDSNLess=before|" + c.fields);
        const std::string typed = text("txtDSNLess");
        boxes.boxes.clear();
        EXPECT_EQ(tab().BuildConnectionString(false), c.unmasked);
        EXPECT_EQ(text("txtDSNLess"), c.masked == c.unmasked ? typed : c.masked);
        EXPECT_EQ(tab().BuildConnectionString(true), c.masked);
        const auto refusal = test::Split(c.refusal);
        EXPECT_EQ(boxTexts(), refusal.empty() ? Texts{} : Texts(2, refusal[0]));
        if (!refusal.empty()) {
            EXPECT_EQ(focusName(), refusal[1]);
        }
    }
    click("cmdViewString");
    EXPECT_EQ(text("txtDSNLess"), " DSN=x;PWD=typed ");
}

TEST_F(ComPlusTabTest, OptionHandlersEmptyTheirTextsAndMarkTheirFields) {
    const char* all[] = {"cboSystemDSN",   "cboUserDSN", "cboODBCDriver", "cboADOOleDriver",
                         "cboADOServer",   "txtADOHost", "txtADOPort",    "cboADOProtocol",
                         "txtADODatabase", "txtUID",     "txtPWD",        "txtDSNLess"};
    // One letter per field above: k the text is kept, e it is emptied; upper case the field is
    // in use (window colour), lower case it is not (menu colour).
    const std::pair<const char*, std::string> cases[] = {
        {"optODBCDriver", "eeEeKKKKKKKk"}, {"optADOOleDriver", "eeeEKkkkKKKk"},
        {"optDSNLess", "kkkkkkkkkkkK"},    {"optUserDSN", "eEeeeeeeeKKk"},
        {"optSystemDSN", "EeeeeeeeeKKk"},
    };
    for (const auto& [option, marks] : cases) {
        SCOPED_TRACE(option);
        for (const char* name : all) {
            set(name, name);
        }
        click(option);
        for (std::size_t i = 0; i < std::size(all); ++i) {
            EXPECT_EQ(text(all[i]), std::tolower(marks[i]) == 'k' ? all[i] : "") << all[i];
            EXPECT_EQ(colour(all[i]), std::isupper(marks[i]) ? SysColour::Window : SysColour::Menu)
                << all[i];
        }
        EXPECT_EQ(std::ranges::count_if(cases, [this](const auto& c) { return checked(c.first); }),
                  1);
    }
    // "Clear" empties the texts but keeps the option, the colours and the protocol.
    click("optODBCDriver");
    fill("cboADOProtocol=kasoctcp|txtUID=u");
    click("cmdClearADO");
    EXPECT_EQ(text("txtUID") + "|" + text("cboADOProtocol"), "|kasoctcp");
    EXPECT_TRUE(checked("optODBCDriver"));
    EXPECT_EQ(colour("txtADOHost"), SysColour::Window);
}

// The real connection tester over the stand-in driver, which records the string it received.
TEST_F(ComPlusTabTest, ThePingSendsTheRealStringAndShowsWhatTheDriverSaid) {
    test::OdbcIni ini;
    test::StandInDriver driver(ini);
    const auto received = [&] {
        const Texts calls = driver.take();
        const auto login = std::ranges::find_if(
            calls, [](const std::string& call) { return call.starts_with("DriverConnect "); });
        return login == calls.end() ? std::string("(none)") : login->substr(14);
    };
    const std::string real = "DSN=standin;UID=user1;PWD=a;b}c";
    const std::string copy = "DSN=standin;UID=user1;PWD=########";
    fill("cboSystemDSN=standin|txtUID=user1|txtPWD=a;b}c");
    click("cmdPingADO");
    EXPECT_EQ(received(), real);
    EXPECT_THAT(pane(), testing::HasSubstr("\r\nExtended Properties=" + copy + "\r\n"));

    // The typed way pings the string the builder's masked copy was made from, until it is edited.
    click("cmdViewString");
    click("optDSNLess");
    EXPECT_EQ(text("txtDSNLess"), copy);
    click("cmdPingADO");
    EXPECT_EQ(received(), real);
    click("cmdViewString");
    EXPECT_EQ(text("txtDSNLess"), copy) << "the view never shows the password";
    set("txtDSNLess", copy + ";");
    click("cmdPingADO");
    EXPECT_EQ(received(), copy + ";");

    // The bridge's provider never reaches the driver; the completed string is masked by keyword,
    // also around a password too short to be cut out by its value.
    click("optODBCDriver");
    fill(std::string("cboODBCDriver=") + test::StandInDriver::kPath +
         "|cboADOServer=srv|txtADOHost=h|txtADOPort=svc|txtADODatabase=db|txtUID=u|txtPWD=ab1");
    click("cmdPingADO");
    const std::string dsnLess = std::string("DRIVER={") + test::StandInDriver::kPath +
                                "};DB=db;HOST=h;SRVR=srv;SERV=svc;PRO=kasoctcp;UID=u;PWD=";
    EXPECT_EQ(received(), dsnLess + "ab1");
    EXPECT_THAT(pane(), testing::HasSubstr("\r\nExtended Properties=" + dsnLess + "########\r\n"));
    EXPECT_THAT(pane(), testing::Not(testing::HasSubstr("ab1")));

    // Every diagnostic record on a line of its own, in the driver manager's order, each masked.
    click("optSystemDSN");
    fill("cboSystemDSN=standinFAIL|txtUID=u|txtPWD=hunter22");
    click("cmdPingADO");
    EXPECT_THAT(pane(), testing::MatchesRegex(
                            "ATTEMPTING TO MAKE A CONNECTION\r\nCONNECTION FAILED\r\n-1\r\n"
                            "\\[SQLSTATE HY000\\] \\[native error 7\\] \\[StandIn\\]third record "
                            "after a line break\r\n"
                            "\\[SQLSTATE 28000\\] \\[native error -5\\] \\[StandIn\\]login refused "
                            "for DSN=standinFAIL;UID=u;PWD=########\r\n"
                            "\\[SQLSTATE 08001\\] \\[native error 101\\] \\[StandIn\\]server "
                            "closed the connection\r\n"
                            "Connection test failed after [0-9]+ ms\r\n"));
}

TEST_F(ComPlusTabTest, ScriptedOutcomesOfTheComponent) {
    auto* scripted = new ScriptedTester;
    window = open({.CreateNativeConnector = {}, .CreateConnectionTester = [scripted] {
                       return std::unique_ptr<complus::ConnectionTester>(scripted);
                   }});
    EXPECT_EQ(text("optSystemDSN"), "System DSNs on far-host");
    EXPECT_EQ(text("lblComLocation"), "COM Object is loaded on far-host");
    // The lists come from the component, from index 1 on, and again on every switch to the tab.
    const std::pair<const char*, Texts> lists[] = {
        {"cboSystemDSN", {"system"}},  {"cboUserDSN", {"u1", "u2"}},
        {"cboODBCDriver", {"driver"}}, {"cboADOOleDriver", {"provider"}},
        {"cboADOServer", {"server"}},
    };
    for (const auto& [name, expected] : lists) {
        EXPECT_EQ(items(name), expected) << name;
    }
    scripted->users = {};
    set("cboUserDSN", "typed");
    window->SSTabVIRELO()->setCurrentIndex(2);
    EXPECT_EQ(items("cboUserDSN"), Texts{});
    EXPECT_EQ(text("cboUserDSN"), "") << "a refill empties the text";

    set("cboSystemDSN", "Sales");
    click("cmdPingADO");
    EXPECT_EQ(pane(),
              "ATTEMPTING TO MAKE A CONNECTION\r\nCONNECTION FAILED\r\n-1\r\n\r\nclosing line\r\n");
    scripted->succeed = true;
    scripted->properties = {{"Provider", std::string("MSDASQL")},
                            {"Count", std::int64_t{-3}},
                            {"Flag", true},
                            {"Empty", std::monostate{}}};
    click("cmdPingADO");
    EXPECT_EQ(pane(),
              "ATTEMPTING TO MAKE A CONNECTION\r\nCONNECTION WAS SUCCESSFUL\r\n"
              "Properties After a Connection\r\nProvider=MSDASQL\r\nCount=-3\r\nFlag=True\r\n"
              "Empty=\r\nclosing line\r\n");
    scripted->raise = true;
    click("cmdPingADO");
    EXPECT_EQ(pane(),
              "ATTEMPTING TO MAKE A CONNECTION\r\n"
              "Fatal Error Fail to Obtain Service Information sucessfully\r\n"
              "Error Number: -2147467259 Error Source: VireloOLELib Error Description: "
              "The machine cannot be reached\r\n");
    EXPECT_EQ(scripted->connected.size(), 3u) << "one component for every press";

    set("cboSystemDSN", "");
    click("cmdPingADO");
    EXPECT_EQ(pane(), "") << "a missing input: the builder's message, an empty pane";
    EXPECT_EQ(scripted->connected.size(), 3u);
    EXPECT_EQ(boxes.boxes.back().text, "Please Select a System DSN");
}

}  // namespace
}  // namespace virelo::ui
