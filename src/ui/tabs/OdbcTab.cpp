#include "ui/tabs/OdbcTab.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QRadioButton>

#include "odbc/DSNList.h"
#include "platform/OdbcLibrary.h"
#include "serverdir/RegAccess.h"
#include "ui/BusyCursor.h"
#include "ui/ColourCue.h"
#include "ui/ComboFill.h"
#include "ui/FrmVirelo.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/Wiring.h"

namespace virelo::ui {
namespace {

constexpr const char* kAnalysisFailed = "ERROR IN ANALYZING DRIVER";

// The display fields and the record fields that fill them. The field beside "ODBC Version" shows
// the driver's ODBC version, the one beside "Driver ODBC Version" the driver manager's.
struct DisplayField {
    const char* control;
    std::string odbc::ODBCInfo::*field;
};
constexpr DisplayField kDisplayFields[] = {
    {"txtConInfoUIDVal", &odbc::ODBCInfo::UserName},
    {"txtConInfoDBNameVal", &odbc::ODBCInfo::DatabaseName},
    {"txtConInfoDBMSVal", &odbc::ODBCInfo::DBMSName},
    {"txtConInfoDBVerVal", &odbc::ODBCInfo::DBMSVersion},
    {"txtDrvNameVal", &odbc::ODBCInfo::DriverName},
    {"txtDrvVersionVal", &odbc::ODBCInfo::DriverVersion},
    {"txtDrvODBCVerVal", &odbc::ODBCInfo::DriverODBCVersion},
    {"txtDrvODBCVer2Val", &odbc::ODBCInfo::ODBCVersion},
    {"txtDrvSQLVal", &odbc::ODBCInfo::SQLConformance},
    {"txtDrvODBCConfVal", &odbc::ODBCInfo::ODBCConformance},
};

// Empties a combo box's list and its text, then appends the data source names in table order.
void FillList(QComboBox* combo, const odbc::DSNTable& table) {
    ClearCombo(combo);
    for (int column = 1; column <= table.Columns(); ++column) {
        AddComboItem(combo, table.at(odbc::DSNTable::kName, column));
    }
}

std::string Text(const QComboBox* combo) {
    return combo->currentText().toStdString();
}

}  // namespace

OdbcTab::OdbcTab(frmVIRELO& window)
    : QObject(&window), window_(window), odbc_(window.general(), driverManager_) {
    OnClick(window, "cmdODBCPing", this, &OdbcTab::cmdODBCPing_Click);
    OnClick(window, "cmdODBCClear", this, &OdbcTab::cmdODBCClear_Click);
    OnSelect(window, "optODBCSysDSN", this, &OdbcTab::optODBCSysDSN_Click);
    OnSelect(window, "optODBCUsrDSN", this, &OdbcTab::optODBCUsrDSN_Click);
    // A combo box's list view is shown each time the list drops down.
    for (const char* name : {"cboODBCSysDSN", "cboODBCUsrDSN"}) {
        window_.control<QComboBox>(name)->view()->installEventFilter(this);
    }
}

bool OdbcTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (watched == window_.control<QComboBox>("cboODBCSysDSN")->view()) {
            cboODBCSysDSN_DropDown();
        } else if (watched == window_.control<QComboBox>("cboODBCUsrDSN")->view()) {
            cboODBCUsrDSN_DropDown();
        }
    }
    return QObject::eventFilter(watched, event);
}

void OdbcTab::FillODBCDSNLists() {
    serverdir::RegAccess registry(window_.platform().registry);
    FillList(window_.control<QComboBox>("cboODBCSysDSN"),
             odbc::GetDSNList(registry, platform::reg::kLocalMachine));
    FillList(window_.control<QComboBox>("cboODBCUsrDSN"),
             odbc::GetDSNList(registry, platform::reg::kCurrentUser));
}

void OdbcTab::optODBCSysDSN_Click() {
    window_.control<QRadioButton>("optODBCUsrDSN")->setChecked(false);
    window_.control<QComboBox>("cboODBCSysDSN")->setEditText(QString());
    window_.control<QComboBox>("cboODBCUsrDSN")->setEditText(QString());
    SetBackColour(window_.control("cboODBCSysDSN"), SysColour::Window);
    SetBackColour(window_.control("cboODBCUsrDSN"), SysColour::Menu);
}

void OdbcTab::optODBCUsrDSN_Click() {
    window_.control<QRadioButton>("optODBCSysDSN")->setChecked(false);
    window_.control<QComboBox>("cboODBCSysDSN")->setEditText(QString());
    window_.control<QComboBox>("cboODBCUsrDSN")->setEditText(QString());
    SetBackColour(window_.control("cboODBCSysDSN"), SysColour::Menu);
    SetBackColour(window_.control("cboODBCUsrDSN"), SysColour::Window);
}

void OdbcTab::cmdODBCClear_Click() {
    window_.control<QComboBox>("cboODBCSysDSN")->setEditText(QString());
    window_.control<QComboBox>("cboODBCUsrDSN")->setEditText(QString());
    window_.control<QLineEdit>("txtODBCUID")->clear();
    window_.control<QLineEdit>("txtODBCPWD")->clear();
}

void OdbcTab::ShowInformation(const odbc::ODBCInfo& info) {
    for (const auto& [control, field] : kDisplayFields) {
        SetText(window_.control<QLineEdit>(control), info.*field);
    }
}

void OdbcTab::cmdODBCPing_Click() {
    BusyCursor busy;
    MessagePane* diag = window_.pane("txtDiagODBC");
    try {
        ODBCLogPath = window_.general().GetLogPath();
        const bool system = window_.control<QRadioButton>("optODBCSysDSN")->isChecked();
        const char* listName = system ? "cboODBCSysDSN" : "cboODBCUsrDSN";
        const std::string dataSource = Text(window_.control<QComboBox>(listName));
        if (dataSource.empty()) {
            window_.platform().boxes.show(
                system ? "Please Select a System DSN" : "Please Select a User DSN", kProgramName,
                platform::BoxIcon::None);
            window_.control(listName)->setFocus();
            // No run took place: the name reserved for its log is given back, so nothing is
            // left behind.
            window_.general().DeleteLogFile(ODBCLogPath);
            return;
        }
        const odbc::ODBCInfo info = odbc_.ODBCConnect(
            dataSource, window_.control<QLineEdit>("txtODBCUID")->text().toStdString(),
            window_.control<QLineEdit>("txtODBCPWD")->text().toStdString(), ODBCLogPath);
        if (info.Status == 0) {
            ShowInformation(info);
        }
        std::string text = window_.general().ReadTextFile(ODBCLogPath);
        if (info.Status != 0) {
            // A driver manager that cannot be loaded fails the first step without a diagnostic
            // record; the loader's reason goes right under that step's line.
            const std::string unusable = platform::OdbcDriverManagerFailure();
            if (!unusable.empty()) {
                text += "\r\n" + unusable;
            }
            // The verdict goes under the log, next to the failed step and its diagnostic lines,
            // so that one view shows all of them.
            text += "\r\n" + std::string(kAnalysisFailed);
        }
        diag->setText(text);
        diag->moveCursor(QTextCursor::End);
    } catch (const std::exception& failure) {
        ShowPingFailure(failure);
    }
}

void OdbcTab::ShowPingFailure(const std::exception& failure) {
    // The log file could not be chosen, written or read: the pane tells why instead.
    MessagePane* diag = window_.pane("txtDiagODBC");
    diag->setText("");
    diag->appendLine("Fatal Error Fail to Obtain ODBC Information");
    diag->appendLine(ErrorLine(AsError(failure, "VIRELO")));
}

}  // namespace virelo::ui
