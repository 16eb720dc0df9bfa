// The COM+ tab on the real window: the builder's formats and tests, the option handlers, the
// lists and look-up from the component, and the COM+ ping against SQLite (real driver manager)
// and against a scripted component where an outcome cannot be made to happen here.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "serverdir/RegAccess.h"
#include "support/OdbcConfig.h"
#include "support/WindowFixture.h"
#include "ui/ColourCue.h"
#include "ui/tabs/ComPlusTab.h"

namespace virelo::ui {
namespace {

// A component whose answers the test chooses.
class ScriptedTester : public complus::ConnectionTester {
public:
    std::string ResultText() override { return "closing line"; }
    std::vector<complus::Property> ConnectionProperties() override { return properties; }
    std::int32_t ErrorNumber() override { return -1; }
    std::string ErrorDescription() override { return ""; }
    complus::NameTable OdbcDriverList() override { return complus::NameTable(1, 0); }
    complus::NameTable UserDsnList() override {
        complus::NameTable table(1, 2);
        table.at(1, 0) = "never listed";
        table.at(1, 1) = "u1";
        table.at(1, 2) = "u2";
        return table;
    }
    complus::NameTable SystemDsnList() override { return complus::NameTable(1, 0); }
    complus::NameTable OleDbProviderList() override { return complus::NameTable(1, 0); }
    std::vector<complus::ServerItem> ServerList() override { return {}; }
    std::string MachineName() override { return "  far-host  "; }
    void Connect(const std::string& text, bool& success) override {
        connected.push_back(text);
        if (raise) {
            throw Error(-2147467259, "VireloOLELib", "The machine cannot be reached");
        }
        success = succeed;
    }
    complus::ServerEntryCollection ServerEntries() override { return {}; }

    std::vector<complus::Property> properties;
    std::vector<std::string> connected;
    bool succeed = false;
    bool raise = false;
};

class ComPlusTabTest : public test::WindowFixture {
protected:
    void SetUp() override { window = open(); }

    ComPlusTab& tab() { return window->comPlusTab(); }
    void set(const char* name, const std::string& text) {
        if (auto* combo = window->control<QComboBox>(name)) {
            combo->setEditText(QString::fromStdString(text));
        } else if (auto* line = window->control<QLineEdit>(name)) {
            line->setText(QString::fromStdString(text));
        } else {
            window->pane(name)->setText(text);
        }
    }
    std::string text(const char* name) const {
        if (const auto* combo = window->control<QComboBox>(name)) {
            return combo->currentText().toStdString();
        }
        if (const auto* line = window->control<QLineEdit>(name)) {
            return line->text().toStdString();
        }
        return window->pane(name)->text();
    }
    void choose(const char* option) { window->control<QRadioButton>(option)->click(); }
    std::string pane() const { return window->pane("txtDiagCOM")->text(); }

    test::OdbcConfig odbc;
    std::unique_ptr<frmVIRELO> window;
};

TEST_F(ComPlusTabTest, TheBuilderFollowsItsFormatsTestsAndMask) {
    struct Case {
        const char* option;
        std::vector<std::pair<const char*, const char*>> fields;
        std::string unmasked;
        std::string shown;  // txtDSNLess afterwards ("unchanged" keeps "before")
        const char* message;
        const char* focus;
    };
    const std::string dsnLess =
        "Provider=MSDASQL;DRIVER={D};DB=db;HOST=h;SRVR=srv;SERV=svc;PRO=kasoctcp;UID=;PWD=";
    const Case cases[] = {
        {"optSystemDSN",
         {{"cboSystemDSN", "Sales"}, {"txtPWD", "pw"}},
         "DSN=Sales",
         "before",
         "",
         ""},
        {"optSystemDSN",
         {{"cboSystemDSN", "Sales"}, {"txtUID", "user1"}, {"txtPWD", "p;w"}},
         "DSN=Sales;UID=user1;PWD=p;w",
         "DSN=Sales;UID=user1;PWD=########",
         "",
         ""},
        {"optUserDSN",
         {{"cboUserDSN", "Sales"}, {"txtUID", "user1"}},
         "",
         "before",
         "Please Enter a Password",
         "txtPWD"},
        {"optUserDSN",
         {{"cboSystemDSN", "Sales"}},
         "",
         "before",
         "Please Select a User DSN",
         "cboUserDSN"},
        {"optODBCDriver",
         {{"cboODBCDriver", "D"},
          {"txtADODatabase", "db"},
          {"txtADOHost", "h"},
          {"cboADOServer", "srv"},
          {"txtADOPort", "svc"}},
         dsnLess,
         dsnLess + "########",
         "",
         ""},
        {"optODBCDriver", {}, "", "before", "Please Select a ODBC Driver", "cboODBCDriver"},
        {"optODBCDriver",
         {{"cboODBCDriver", "D"}, {"cboADOServer", "s"}, {"txtADOHost", "h"}},
         "",
         "before",
         "Please Enter a Service Name or Port #",
         "txtADOPort"},
        {"optODBCDriver",
         {{"cboODBCDriver", " "},
          {"txtADODatabase", " "},
          {"txtADOHost", " "},
          {"cboADOServer", " "},
          {"txtADOPort", " "}},
         "Provider=MSDASQL;DRIVER={ };DB= ;HOST= ;SRVR= ;SERV= ;PRO=kasoctcp;UID=;PWD=",
         "Provider=MSDASQL;DRIVER={ };DB= ;HOST= ;SRVR= ;SERV= ;PRO=kasoctcp;UID=;PWD=########",
         "",
         ""},
        {"optADOOleDriver",
         {{"cboADOOleDriver", "any"},
          {"txtADODatabase", "db"},
          {"cboADOServer", "srv"},
          {"txtUID", "user1"},
          {"txtPWD", "secret"}},
         "Provider=nbxoledbc;Data Source=db@srv;User ID=user1;Password=secret",
         "Provider=nbxoledbc;Data Source=db@srv;User ID=user1;Password=########",
         "",
         ""},
        {"optADOOleDriver",
         {{"cboADOOleDriver", "any"}, {"cboADOServer", "srv"}},
         "",
         "before",
         "Please Enter a Database Name",
         "txtADODatabase"},
        {"optDSNLess", {}, "", "before", "Please Enter a Connection String", "txtDSNLess"},
    };
    activate(*window);
    for (const Case& c : cases) {
        choose(c.option);
        tab().cmdClearADO_Click();
        for (const auto& [name, value] : c.fields) {
            set(name, value);
        }
        set("txtDSNLess", "before");
        if (std::string(c.option) == "optDSNLess") {
            set("txtDSNLess", "");
        }
        boxes.boxes.clear();
        const bool mask = false;
        EXPECT_EQ(tab().BuildConnectionString(mask), c.unmasked) << c.option;
        const std::string before = std::string(c.option) == "optDSNLess" ? "" : "before";
        EXPECT_EQ(text("txtDSNLess"), c.shown == "before" ? before : c.shown) << c.unmasked;
        if (*c.message != '\0') {
            ASSERT_EQ(boxes.boxes.size(), 1u) << c.message;
            EXPECT_EQ(boxes.boxes[0].text, c.message);
            EXPECT_EQ(focusName(), c.focus);
        } else {
            EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
            const bool masked = true;
            const std::string view = tab().BuildConnectionString(masked);
            EXPECT_EQ(view.find("secret"), std::string::npos);
            EXPECT_EQ(view, c.shown == "before" ? c.unmasked : c.shown);
        }
    }
    // The manual way keeps the typed string, exactly as typed, for viewing and for the ping.
    choose("optDSNLess");
    set("txtDSNLess", " DSN=x;PWD=typed ");
    tab().cmdViewString_Click();
    EXPECT_EQ(text("txtDSNLess"), " DSN=x;PWD=typed ");
}

TEST_F(ComPlusTabTest, OptionHandlersEmptyTheirTextsAndMarkTheirFields) {
    const char* all[] = {"cboSystemDSN",   "cboUserDSN", "cboODBCDriver", "cboADOOleDriver",
                         "cboADOServer",   "txtADOHost", "txtADOPort",    "cboADOProtocol",
                         "txtADODatabase", "txtUID",     "txtPWD",        "txtDSNLess"};
    struct Case {
        const char* option;
        std::vector<std::string> kept;    // texts that survive
        std::vector<std::string> active;  // window colour; the rest menu colour
    };
    const Case cases[] = {
        {"optODBCDriver",
         {"cboADOServer", "txtADOHost", "txtADOPort", "cboADOProtocol", "txtADODatabase", "txtUID",
          "txtPWD", "txtDSNLess"},
         {"cboODBCDriver", "cboADOServer", "txtADOHost", "txtADOPort", "cboADOProtocol",
          "txtADODatabase", "txtUID", "txtPWD"}},
        {"optADOOleDriver",
         {"cboADOServer", "txtADOHost", "txtADOPort", "cboADOProtocol", "txtADODatabase", "txtUID",
          "txtPWD", "txtDSNLess"},
         {"cboADOOleDriver", "cboADOServer", "txtADODatabase", "txtUID", "txtPWD"}},
        {"optDSNLess",
         {"cboSystemDSN", "cboUserDSN", "cboODBCDriver", "cboADOOleDriver", "cboADOServer",
          "txtADOHost", "txtADOPort", "cboADOProtocol", "txtADODatabase", "txtUID", "txtPWD",
          "txtDSNLess"},
         {"txtDSNLess"}},
        {"optUserDSN", {"txtUID", "txtPWD", "txtDSNLess"}, {"cboUserDSN", "txtUID", "txtPWD"}},
        {"optSystemDSN", {"txtUID", "txtPWD", "txtDSNLess"}, {"cboSystemDSN", "txtUID", "txtPWD"}},
    };
    for (const Case& c : cases) {
        for (const char* name : all) {
            set(name, std::string("typed ") + name);
        }
        choose(c.option);
        for (const char* name : all) {
            const bool kept = std::find(c.kept.begin(), c.kept.end(), name) != c.kept.end();
            EXPECT_EQ(text(name), kept ? std::string("typed ") + name : "")
                << c.option << " " << name;
            const bool active = std::find(c.active.begin(), c.active.end(), name) != c.active.end();
            EXPECT_EQ(BackColour(window->control(name)),
                      active ? SysColour::Window : SysColour::Menu)
                << c.option << " " << name;
        }
        int selected = 0;
        for (const char* option :
             {"optSystemDSN", "optUserDSN", "optODBCDriver", "optADOOleDriver", "optDSNLess"}) {
            selected += window->control<QRadioButton>(option)->isChecked() ? 1 : 0;
        }
        EXPECT_EQ(selected, 1);
    }
    // "Clear" empties the texts but keeps the option, the colours and the protocol.
    choose("optODBCDriver");
    set("cboADOProtocol", "kasoctcp");
    set("txtUID", "u");
    tab().cmdClearADO_Click();
    EXPECT_EQ(text("txtUID"), "");
    EXPECT_EQ(text("cboADOProtocol"), "kasoctcp");
    EXPECT_TRUE(window->control<QRadioButton>("optODBCDriver")->isChecked());
    EXPECT_EQ(BackColour(window->control("txtADOHost")), SysColour::Window);
}

TEST_F(ComPlusTabTest, ListsAndLookUpComeFromTheComponentOnEverySwitch) {
    odbc.systemDsn("Sys1", "Driver=SQLite3");
    odbc.userDsn("Usr1", "Driver=SQLite3");
    const std::string key = std::string(serverdir::kSqlhostsKey) + "\\srv1";
    registry.setString(platform::reg::kLocalMachine, key, "HOST", "db-host");
    registry.setString(platform::reg::kLocalMachine, key, "SERVICE", "1526");
    registry.setString(platform::reg::kLocalMachine, key, "PROTOCOL", "not-a-listed-protocol");
    set("cboSystemDSN", "typed");
    window->SSTabVIRELO()->setCurrentIndex(2);
    const auto items = [this](const char* name) {
        std::vector<std::string> list;
        const auto* combo = window->control<QComboBox>(name);
        for (int i = 0; i < combo->count(); ++i) {
            list.push_back(combo->itemText(i).toStdString());
        }
        return list;
    };
    EXPECT_EQ(items("cboSystemDSN"), std::vector<std::string>{"Sys1"});
    EXPECT_EQ(text("cboSystemDSN"), "") << "a refill empties the text";
    EXPECT_EQ(items("cboUserDSN"), std::vector<std::string>{"Usr1"});
    EXPECT_EQ(items("cboODBCDriver"), (std::vector<std::string>{"SQLite3", "PostgreSQL ANSI"}));
    EXPECT_EQ(items("cboADOServer"), std::vector<std::string>{"srv1"});

    set("cboADOServer", "srv1");
    window->control<QPushButton>("cmdLookupSqlhostInfo")->click();
    EXPECT_EQ(text("txtADOHost"), "db-host");
    EXPECT_EQ(text("txtADOPort"), "1526");
    EXPECT_EQ(text("cboADOProtocol"), "not-a-listed-protocol");
    set("cboADOServer", "srv9");
    window->control<QPushButton>("cmdLookupSqlhostInfo")->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Nembrion Server \"srv9\" not found in registry");
    EXPECT_EQ(text("txtADOHost"), "db-host");
    set("cboADOServer", "");
    window->control<QPushButton>("cmdLookupSqlhostInfo")->click();
    EXPECT_EQ(boxes.boxes.size(), 1u) << "an empty name does nothing";
}

TEST_F(ComPlusTabTest, PingAgainstSqliteThroughADataSourceAndATypedString) {
    odbc.systemDsn("Sales", "Driver=SQLite3\nDatabase=" + odbc.database("sales.db"));
    set("cboSystemDSN", "Sales");
    set("txtUID", "user1");
    set("txtPWD", "hunter22");
    window->control<QPushButton>("cmdPingADO")->click();
    EXPECT_EQ(pane().rfind("ATTEMPTING TO MAKE A CONNECTION\r\nCONNECTION WAS SUCCESSFUL\r\n"
                           "Properties After a Connection\r\nProvider=MSDASQL\r\n"
                           "Data Source Name=Sales\r\n",
                           0),
              0u)
        << pane();
    EXPECT_NE(pane().find("\r\nConnection test succeeded after "), std::string::npos);
    EXPECT_EQ(pane().find("hunter22"), std::string::npos);
    EXPECT_EQ(text("txtDSNLess"), "DSN=Sales;UID=user1;PWD=########");

    choose("optDSNLess");
    set("txtDSNLess",
        "DRIVER=" + std::string(test::kSqliteDriver) + ";Database=" + odbc.database("t.db"));
    window->control<QPushButton>("cmdPingADO")->click();
    EXPECT_NE(pane().find("CONNECTION WAS SUCCESSFUL\r\n"), std::string::npos) << pane();
    EXPECT_NE(pane().find("DBMS Name=SQLite\r\n"), std::string::npos) << pane();

    set("txtDSNLess", "DSN=NoSuchSource");
    window->control<QPushButton>("cmdPingADO")->click();
    EXPECT_EQ(
        pane().rfind(
            "ATTEMPTING TO MAKE A CONNECTION\r\nCONNECTION FAILED\r\n-1\r\n[SQLSTATE IM002]", 0),
        0u)
        << pane();
}

TEST_F(ComPlusTabTest, ScriptedOutcomesOfTheComponent) {
    auto* scripted = new ScriptedTester;
    frmVIRELO::Components components;
    components.CreateConnectionTester = [scripted] {
        return std::unique_ptr<complus::ConnectionTester>(scripted);
    };
    window = open(std::move(components));
    EXPECT_EQ(window->control<QRadioButton>("optSystemDSN")->text().toStdString(),
              "System DSNs on far-host");
    EXPECT_EQ(window->control<QLabel>("lblComLocation")->text().toStdString(),
              "COM Object is loaded on far-host");
    EXPECT_EQ(window->control<QComboBox>("cboUserDSN")->count(), 2) << "index 0 is never listed";
    EXPECT_EQ(window->control<QComboBox>("cboODBCDriver")->count(), 0);

    set("cboSystemDSN", "Sales");
    window->control<QPushButton>("cmdPingADO")->click();
    EXPECT_EQ(pane(),
              "ATTEMPTING TO MAKE A CONNECTION\r\nCONNECTION FAILED\r\n-1\r\n\r\nclosing line\r\n");

    scripted->succeed = true;
    window->control<QPushButton>("cmdPingADO")->click();
    EXPECT_EQ(pane(),
              "ATTEMPTING TO MAKE A CONNECTION\r\nCONNECTION WAS SUCCESSFUL\r\n"
              "Properties After a Connection\r\nclosing line\r\n");

    scripted->properties = {{"Provider", std::string("MSDASQL")},
                            {"Count", std::int64_t{-3}},
                            {"Flag", true},
                            {"Empty", std::monostate{}}};
    window->control<QPushButton>("cmdPingADO")->click();
    EXPECT_NE(
        pane().find("Provider=MSDASQL\r\nCount=-3\r\nFlag=True\r\nEmpty=\r\nclosing line\r\n"),
        std::string::npos)
        << pane();

    scripted->raise = true;
    window->control<QPushButton>("cmdPingADO")->click();
    EXPECT_EQ(pane(),
              "ATTEMPTING TO MAKE A CONNECTION\r\n"
              "Fatal Error Fail to Obtain Service Information sucessfully\r\n"
              "Error Number: -2147467259 Error Source: VireloOLELib Error Description: "
              "The machine cannot be reached\r\n");
    EXPECT_EQ(scripted->connected.size(), 4u) << "one component for every press";

    set("cboSystemDSN", "");
    window->control<QPushButton>("cmdPingADO")->click();
    EXPECT_EQ(pane(), "") << "a missing input: the builder's message, an empty pane";
    EXPECT_EQ(scripted->connected.size(), 4u);
    EXPECT_EQ(boxes.boxes.back().text, "Please Select a System DSN");
}

}  // namespace
}  // namespace virelo::ui
