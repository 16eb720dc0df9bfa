#include "ui/tabs/NativeTab.h"

#include <QComboBox>
#include <QLineEdit>

#include "serverdir/RegAccess.h"
#include "ui/BusyCursor.h"
#include "ui/ComboFill.h"
#include "ui/FrmVirelo.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/Wiring.h"

namespace virelo::ui {
namespace {

using serverdir::ServerTable;

std::string Text(const QLineEdit* box) {
    return box->text().toStdString();
}
std::string Text(const QComboBox* box) {
    return box->currentText().toStdString();
}

}  // namespace

NativeTab::NativeTab(frmVIRELO& window) : QObject(&window), window_(window) {
    OnClick(window, "cmdLookupCon", this, &NativeTab::cmdLookupCon_Click);
    OnClick(window, "cmdPingCon", this, &NativeTab::cmdPingCon_Click);
}

void NativeTab::FillNativeServerList() {
    auto* servers = window_.control<QComboBox>("cboServerCon");
    ClearCombo(servers);
    const ServerTable table =
        serverdir::RegAccess(window_.platform().registry).GetSqlhostsServers();
    for (int column = 0; column <= table.UpperBound(); ++column) {
        AddComboItem(servers, table.at(ServerTable::kName, column));
    }
}

void NativeTab::cmdLookupCon_Click() {
    const ServerTable table =
        serverdir::RegAccess(window_.platform().registry).GetSqlhostsServers();
    const std::string server = Text(window_.control<QComboBox>("cboServerCon"));
    for (int column = 0; column <= table.UpperBound(); ++column) {
        if (table.at(ServerTable::kName, column) == server) {
            SetText(window_.control<QLineEdit>("txtHostCon"), table.at(ServerTable::kHost, column));
            SetText(window_.control<QLineEdit>("txtServiceCon"),
                    table.at(ServerTable::kService, column));
            window_.control<QComboBox>("cboProtocolCon")
                ->setEditText(QString::fromStdString(table.at(ServerTable::kProtocol, column)));
            return;
        }
    }
    window_.platform().boxes.show("Nembrion Server \"" + server + "\" not found in registry",
                                  kProgramName, platform::BoxIcon::None);
}

void NativeTab::cmdPingCon_Click() {
    BusyCursor busy;
    MessagePane* pane = window_.pane("txtErrorCon");
    try {
        const std::string server = Text(window_.control<QComboBox>("cboServerCon"));
        const std::string host = Text(window_.control<QLineEdit>("txtHostCon"));
        const std::string service = Text(window_.control<QLineEdit>("txtServiceCon"));
        const std::string protocol = Text(window_.control<QComboBox>("cboProtocolCon"));
        const std::string user = Text(window_.control<QLineEdit>("txtUserNameCon"));
        const std::string password = Text(window_.control<QLineEdit>("txtPasswordCon"));
        serverdir::NativeConnector& connector = window_.NativeConnectorInstance();
        const std::string database = Text(window_.control<QLineEdit>("txtDatabaseCon"));
        connector.PingServer(server, host, service, protocol, user, password, database);
        pane->setText("");
        pane->appendLine("SQLSTATE = " + connector.SqlState());
        pane->appendLine("SQLCODE = " + std::to_string(connector.SqlCode()));
        const std::string result = connector.SqlCode() == 0
                                       ? std::string("Connection was successful!")
                                       : "Received sqlcode=" + std::to_string(connector.SqlCode());
        window_.platform().boxes.show(result, kProgramName, platform::BoxIcon::None);
    } catch (const std::exception& failure) {
        // The component could not be created, or a call to it failed: say so in the pane, with
        // the error's own number, source and description, and show no result box.
        pane->setText("");
        pane->appendLine(ErrorLine(AsError(failure, "NativeConnector")));
    }
}

}  // namespace virelo::ui
