#include "ui/tabs/ComPlusTab.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

#include "ui/BusyCursor.h"
#include "ui/ColourCue.h"
#include "ui/ComboFill.h"
#include "ui/FrmVirelo.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/Wiring.h"

namespace virelo::ui {
namespace {

// What an option handler does: the texts it empties, in order, and the fields it marks as in use
// (window colour) and as not in use (menu colour).
struct OptionRule {
    std::vector<const char*> emptied;
    std::vector<const char*> active;
    std::vector<const char*> inactive;
};

const std::vector<const char*> kDataSourceEmptied = {
    "cboSystemDSN", "cboUserDSN", "cboODBCDriver",  "cboADOOleDriver", "cboADOServer",
    "txtADOHost",   "txtADOPort", "txtADODatabase", "cboADOProtocol"};
const std::vector<const char*> kBuilderEmptied = {"cboSystemDSN", "cboUserDSN", "cboODBCDriver",
                                                  "cboADOOleDriver"};

enum Option { kSystemDSN, kUserDSN, kDSNLess, kODBCDriver, kADOOleDriver };

const OptionRule& RuleOf(int option) {
    static const OptionRule kRules[] = {
        {kDataSourceEmptied,
         {"cboSystemDSN", "txtUID", "txtPWD"},
         {"cboUserDSN", "cboODBCDriver", "cboADOOleDriver", "txtDSNLess", "cboADOServer",
          "txtADOHost", "txtADOPort", "cboADOProtocol", "txtADODatabase"}},
        {kDataSourceEmptied,
         {"cboUserDSN", "txtUID", "txtPWD"},
         {"cboSystemDSN", "cboODBCDriver", "cboADOOleDriver", "txtDSNLess", "cboADOServer",
          "txtADOHost", "txtADOPort", "cboADOProtocol", "txtADODatabase"}},
        {{},
         {"txtDSNLess"},
         {"cboSystemDSN", "cboUserDSN", "cboODBCDriver", "cboADOOleDriver", "cboADOServer",
          "txtADOHost", "txtADOPort", "cboADOProtocol", "txtADODatabase", "txtUID", "txtPWD"}},
        {kBuilderEmptied,
         {"cboODBCDriver", "cboADOServer", "txtADOHost", "txtADOPort", "cboADOProtocol",
          "txtADODatabase", "txtUID", "txtPWD"},
         {"cboSystemDSN", "cboUserDSN", "cboADOOleDriver", "txtDSNLess"}},
        {kBuilderEmptied,
         {"cboADOOleDriver", "cboADOServer", "txtADODatabase", "txtUID", "txtPWD"},
         {"cboSystemDSN", "cboUserDSN", "cboODBCDriver", "txtDSNLess", "txtADOHost", "txtADOPort",
          "cboADOProtocol"}},
    };
    return kRules[option];
}

constexpr const char* kOptions[] = {"optSystemDSN", "optUserDSN", "optDSNLess", "optODBCDriver",
                                    "optADOOleDriver"};

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

ComPlusTab::ComPlusTab(frmVIRELO& window) : QObject(&window), window_(window) {
    OnSelect(window, "optSystemDSN", this, &ComPlusTab::optSystemDSN_Click);
    OnSelect(window, "optUserDSN", this, &ComPlusTab::optUserDSN_Click);
    OnSelect(window, "optDSNLess", this, &ComPlusTab::optDSNLess_Click);
    OnSelect(window, "optODBCDriver", this, &ComPlusTab::optODBCDriver_Click);
    OnSelect(window, "optADOOleDriver", this, &ComPlusTab::optADOOleDriver_Click);
    OnClick(window, "cmdLookupSqlhostInfo", this, &ComPlusTab::cmdLookupSqlhostInfo_Click);
    OnClick(window, "cmdClearADO", this, &ComPlusTab::cmdClearADO_Click);
    OnClick(window, "cmdViewString", this, &ComPlusTab::cmdViewString_Click);
    OnClick(window, "cmdPingADO", this, &ComPlusTab::cmdPingADO_Click);
}

void ComPlusTab::FillComPlusTab() {
    complus::ConnectionTester& tester = window_.ConnectionTesterInstance();
    const std::string machine = Trimmed(tester.MachineName());
    window_.control<QRadioButton>("optSystemDSN")
        ->setText(QString::fromStdString("System DSNs on " + machine));
    window_.control<QRadioButton>("optUserDSN")
        ->setText(QString::fromStdString("User DSNs on " + machine));
    window_.control<QLabel>("lblComLocation")
        ->setText(QString::fromStdString("COM Object is loaded on " + machine));

    using List = complus::NameTable (complus::ConnectionTester::*)();
    const std::pair<const char*, List> lists[] = {
        {"cboUserDSN", &complus::ConnectionTester::UserDsnList},
        {"cboSystemDSN", &complus::ConnectionTester::SystemDsnList},
        {"cboODBCDriver", &complus::ConnectionTester::OdbcDriverList},
        {"cboADOOleDriver", &complus::ConnectionTester::OleDbProviderList},
    };
    for (const auto& [name, list] : lists) {
        auto* combo = window_.control<QComboBox>(name);
        ClearCombo(combo);
        const complus::NameTable table = (tester.*list)();
        for (int i = 1; i <= table.UpperBound(2); ++i) {
            AddComboItem(combo, table.at(1, i));
        }
    }
    auto* servers = window_.control<QComboBox>("cboADOServer");
    ClearCombo(servers);
    for (const complus::ServerItem& item : tester.ServerList()) {
        AddComboItem(servers, item.Name);
    }
}

void ComPlusTab::ApplyOption(int option) {
    for (int other = 0; other < static_cast<int>(std::size(kOptions)); ++other) {
        if (other != option) {
            auto* button = window_.control<QRadioButton>(kOptions[other]);
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
    }
    const OptionRule& rule = RuleOf(option);
    for (const char* name : rule.emptied) {
        SetText(name, "");
    }
    for (const char* name : rule.active) {
        SetBackColour(window_.control(name), SysColour::Window);
    }
    for (const char* name : rule.inactive) {
        SetBackColour(window_.control(name), SysColour::Menu);
    }
}

void ComPlusTab::optSystemDSN_Click() {
    ApplyOption(kSystemDSN);
}
void ComPlusTab::optUserDSN_Click() {
    ApplyOption(kUserDSN);
}
void ComPlusTab::optDSNLess_Click() {
    ApplyOption(kDSNLess);
}
void ComPlusTab::optODBCDriver_Click() {
    ApplyOption(kODBCDriver);
}
void ComPlusTab::optADOOleDriver_Click() {
    ApplyOption(kADOOleDriver);
}

void ComPlusTab::cmdLookupSqlhostInfo_Click() {
    const std::string server = Text("cboADOServer");
    try {
        if (server.empty()) {
            return;
        }
        const complus::ServerEntryCollection entries =
            window_.ConnectionTesterInstance().ServerEntries();
        const complus::ServerEntry& entry = entries.Item(server);
        SetText("txtADOHost", entry.HostName);
        SetText("txtADOPort", entry.Service);
        SetText("cboADOProtocol", entry.Protocol);
    } catch (const std::exception&) {
        window_.platform().boxes.show("Nembrion Server \"" + server + "\" not found in registry",
                                      kProgramName, platform::BoxIcon::None);
    }
}

void ComPlusTab::cmdClearADO_Click() {
    for (const char* name :
         {"cboSystemDSN", "cboUserDSN", "txtDSNLess", "cboODBCDriver", "cboADOOleDriver",
          "cboADOServer", "txtADOHost", "txtADOPort", "txtADODatabase", "txtUID", "txtPWD"}) {
        SetText(name, "");
    }
}

void ComPlusTab::cmdViewString_Click() {
    const bool mask = true;
    SetText("txtDSNLess", BuildConnectionString(mask));
}

void ComPlusTab::cmdPingADO_Click() {
    BusyCursor busy;
    MessagePane* pane = window_.pane("txtDiagCOM");
    try {
        pane->setText("");
        bool success = false;
        const std::string connectionString = BuildConnectionString(success);
        if (connectionString.empty()) {
            return;
        }
        pane->appendLine("ATTEMPTING TO MAKE A CONNECTION");
        complus::ConnectionTester& tester = window_.ConnectionTesterInstance();
        tester.Connect(connectionString, success);
        if (success) {
            pane->appendLine("CONNECTION WAS SUCCESSFUL");
            pane->appendLine("Properties After a Connection");
            for (const complus::Property& property : tester.ConnectionProperties()) {
                pane->appendLine(property.Name + "=" + complus::PropertyText(property.Value));
            }
        } else {
            pane->appendLine("CONNECTION FAILED");
            pane->appendLine(std::to_string(tester.ErrorNumber()));
            pane->appendLine(tester.ErrorDescription());
        }
        pane->appendLine(tester.ResultText());
    } catch (const std::exception& failure) {
        pane->appendLine("Fatal Error Fail to Obtain Service Information sucessfully");
        pane->appendLine(ErrorLine(AsError(failure, "VIRELO")));
    }
}

}  // namespace virelo::ui
