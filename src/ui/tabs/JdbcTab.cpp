#include "ui/tabs/JdbcTab.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <span>

#include "jdbc/JdbcLaunch.h"
#include "jdbc/QuickStart.h"
#include "ui/BusyCursor.h"
#include "ui/ColourCue.h"
#include "ui/ComboFill.h"
#include "ui/FrmVirelo.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/Wiring.h"

namespace virelo::ui {
namespace {

constexpr const char* kDriverClasses[] = {"com.nembrion.jdbc.NbxDriver",
                                          "COM.orvane.qb7.jdbc.app.QB7Driver",
                                          "COM.orvane.qb7.jdbc.net.QB7Driver"};
constexpr const char* kProtocols[] = {"jdbc:nembrion-sqli", "jdbc:qb7"};
constexpr const char* kInitialParameters[] = {
    "NEMBRIONSERVER=", "NBX_AUTOFREE=",  "TRACE=",
    "TRACEFILE=",      "PROTOCOLTRACE=", "PROTOCOLTRACEFILE="};
// The protocols a database server listens with, for the Native Connect and COM+ tabs.
constexpr const char* kServerProtocols[] = {"kasoctcp", "kbsoctcp", "kbsocspx",
                                            "kasocspx", "kcsoctcp", "kcsocspx",
                                            "kcipcip",  "kbipcnmp", "kaipcnmp"};
// The fields of the URL builder, which the colour cue marks as in use or not.
constexpr const char* kBuildFields[] = {
    "cmbDriverClassJDBC", "cmbProtocolJDBC", "txtHostJDBC",   "txtPortJDBC",  "txtDBNameJDBC",
    "txtUserJDBC",        "txtPassJDBC",     "lstParamsJDBC", "txtParamJDBC", "txtParamValueJDBC"};

std::string Text(const QLineEdit* box) {
    return box->text().toStdString();
}
std::string Text(const QComboBox* box) {
    return box->currentText().toStdString();
}

// Appends items to a combo box without changing the text it shows.
void AddItems(QComboBox* combo, std::span<const char* const> items) {
    for (const char* item : items) {
        AddComboItem(combo, item);
    }
}

}  // namespace

JdbcTab::JdbcTab(frmVIRELO& window) : QObject(&window), window_(window) {
    OnClick(window, "cmdAddParameterJDBC", this, &JdbcTab::cmdAddParameterJDBC_Click);
    OnClick(window, "cmdDeleteParameterJDBC", this, &JdbcTab::cmdDeleteParameterJDBC_Click);
    OnClick(window, "cmdBuildJDBC", this, &JdbcTab::cmdBuildJDBC_Click);
    OnClick(window, "cmdConnectCompJDBC", this, &JdbcTab::cmdConnectCompJDBC_Click);
    OnSelect(window, "optBuildURLJDBC", this, &JdbcTab::optBuildURLJDBC_Click);
    OnSelect(window, "optStringURLJDBC", this, &JdbcTab::optStringURLJDBC_Click);
    auto* list = window_.control<QListWidget>("lstParamsJDBC");
    connect(list, &QListWidget::itemClicked, this, [this] { lstParamsJDBC_Click(); });
    connect(list, &QListWidget::currentRowChanged, this, [this] { lstParamsJDBC_Click(); });
    list->installEventFilter(this);
}

std::string JdbcTab::PathLines() {
    platform::Files& files = window_.platform().files;
    return "PATH = " + files.environment("PATH").value_or("") + "\r\n" +
           "CLASSPATH = " + files.environment("CLASSPATH").value_or("") + "\r\n";
}

void JdbcTab::InitFixedLists() {
    window_.pane("txtMessagesJDBC")->setText(PathLines());

    auto* driver = window_.control<QComboBox>("cmbDriverClassJDBC");
    driver->setEditText(kDriverClasses[0]);
    AddItems(driver, kDriverClasses);
    auto* protocol = window_.control<QComboBox>("cmbProtocolJDBC");
    protocol->setEditText(kProtocols[0]);
    AddItems(protocol, kProtocols);
    auto* list = window_.control<QListWidget>("lstParamsJDBC");
    const QSignalBlocker quiet(list);
    for (const char* item : kInitialParameters) {
        list->addItem(item);
    }
    AddItems(window_.control<QComboBox>("cboProtocolCon"), kServerProtocols);
    AddItems(window_.control<QComboBox>("cboADOProtocol"), kServerProtocols);
}

std::vector<std::string> JdbcTab::Parameters() const {
    const auto* list = window_.control<QListWidget>("lstParamsJDBC");
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i) {
        items.push_back(list->item(i)->text().toStdString());
    }
    return items;
}

void JdbcTab::ShowParameters(const std::vector<std::string>& items) {
    auto* list = window_.control<QListWidget>("lstParamsJDBC");
    const QSignalBlocker quiet(list);  // a changed list is no click on an item
    list->clear();
    for (const auto& item : items) {
        list->addItem(QString::fromStdString(item));
    }
}

void JdbcTab::SetParameter(const std::string& name, const std::string& value) {
    std::vector<std::string> items = Parameters();
    jdbc::SetParameter(items, name, value);
    ShowParameters(items);
}

std::string JdbcTab::BuildJDBCURL() const {
    jdbc::UrlFields fields;
    fields.protocol = Text(window_.control<QComboBox>("cmbProtocolJDBC"));
    fields.host = Text(window_.control<QLineEdit>("txtHostJDBC"));
    fields.port = Text(window_.control<QLineEdit>("txtPortJDBC"));
    fields.database = Text(window_.control<QLineEdit>("txtDBNameJDBC"));
    fields.parameters = Parameters();
    return jdbc::BuildJDBCURL(fields);
}

void JdbcTab::lstParamsJDBC_Click() {
    const auto* list = window_.control<QListWidget>("lstParamsJDBC");
    if (list->currentRow() < 0) {
        return;  // no item chosen: nothing to edit
    }
    const auto [name, value] = jdbc::SplitParameter(list->currentItem()->text().toStdString());
    window_.control<QLineEdit>("txtParamJDBC")->setText(QString::fromStdString(name));
    window_.control<QLineEdit>("txtParamValueJDBC")->setText(QString::fromStdString(value));
}

void JdbcTab::lstParamsJDBC_KeyDown(int keyCode) {
    if (keyCode == 13) {
        lstParamsJDBC_Click();
    }
}

bool JdbcTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lstParamsJDBC_KeyDown(13);
        }
    }
    return QObject::eventFilter(watched, event);
}

void JdbcTab::cmdAddParameterJDBC_Click() {
    SetParameter(Text(window_.control<QLineEdit>("txtParamJDBC")),
                 Text(window_.control<QLineEdit>("txtParamValueJDBC")));
}

void JdbcTab::cmdDeleteParameterJDBC_Click() {
    auto* list = window_.control<QListWidget>("lstParamsJDBC");
    const int row = list->currentRow();
    if (row < 0) {
        return;
    }
    const QSignalBlocker quiet(list);
    delete list->takeItem(row);
    list->setCurrentRow(-1);
}

void JdbcTab::cmdBuildJDBC_Click() {
    window_.pane("txtConURLJDBC")->setText(BuildJDBCURL());
}

void JdbcTab::ShowBuildMode(bool build) {
    for (const char* name : kBuildFields) {
        SetBackColour(window_.control(name), build ? SysColour::Window : SysColour::Menu);
    }
    SetBackColour(window_.control("txtConURLJDBC"), build ? SysColour::Menu : SysColour::Window);
}

void JdbcTab::cmdConnectCompJDBC_Click() {
    JDBCPing(window_.control<QRadioButton>("optBuildURLJDBC")->isChecked()
                 ? BuildJDBCURL()
                 : window_.pane("txtConURLJDBC")->text());
}

void JdbcTab::JDBCPing(const std::string& url) {
    BusyCursor busy;
    general::General& general = window_.general();
    MessagePane* pane = window_.pane("txtMessagesJDBC");
    // Each step goes on when an earlier one failed: a missing log only leaves the pane shorter.
    std::string logPath;
    try {
        logPath = general.GetLogPath();
    } catch (const Error&) {
    }
    JDBCLogPath = logPath;
    pane->setText(PathLines());
    const jdbc::JdbcInputs inputs{Text(window_.control<QComboBox>("cmbDriverClassJDBC")), url,
                                  Text(window_.control<QLineEdit>("txtUserJDBC")),
                                  Text(window_.control<QLineEdit>("txtPassJDBC"))};
    const jdbc::JdbcLaunch launch =
        jdbc::PrepareJdbcLaunch(inputs, logPath, general.LogFileIdentity(logPath),
                                jdbc::ChildClassPath(window_.platform().files));
    if (jdbc::RunTestClass(general, window_.platform().files, launch.commandLine,
                           launch.environment) != 1) {
        general.DiscardUnwrittenLog(logPath);  // no test class ran to write it
        window_.platform().boxes.show(jdbc::JavaLaunchFailureText(general.LastDllError()),
                                      kProgramName, platform::BoxIcon::None);
        return;
    }
    try {
        pane->setText(pane->text() + general.ReadTextFile(logPath));
    } catch (const Error&) {
    }
    pane->moveCursor(QTextCursor::End);
}

}  // namespace virelo::ui
