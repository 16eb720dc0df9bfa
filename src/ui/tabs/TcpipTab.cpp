#include "ui/tabs/TcpipTab.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "ui/BusyCursor.h"
#include "ui/FrmVirelo.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/Wiring.h"

namespace virelo::ui {
namespace {

constexpr const char* kEchoData = "Hello There";

std::string TextOf(const QLineEdit* box) {
    return box->text().toStdString();
}

}  // namespace

TcpipTab::TcpipTab(frmVIRELO& window) : QObject(&window), window_(window) {
    OnClick(window, "cmdPingTCP", this, &TcpipTab::cmdPingTCP_Click);
    OnClick(window, "cmdClearTCP", this, &TcpipTab::cmdClearTCP_Click);
    OnClick(window, "cmdRetrieve", this, &TcpipTab::cmdRetrieve_Click);
    OnClick(window, "cmdClearServ", this, &TcpipTab::cmdClearServ_Click);
    OnSelect(window, "optHostbyName", this, &TcpipTab::optHostbyName_Click);
    OnSelect(window, "optHostbyAddr", this, &TcpipTab::optHostbyAddr_Click);
    OnSelect(window, "optServiceName", this, &TcpipTab::optServiceName_Click);
    OnSelect(window, "optPortName", this, &TcpipTab::optPortName_Click);
}

void TcpipTab::cmdClearTCP_Click() {
    window_.control<QLineEdit>("txtEnterHostName")->clear();
    ClearServerResults();
}

void TcpipTab::ClearServerResults() {
    window_.control<QLineEdit>("txtHostNameTCP2")->clear();
    window_.control<QListWidget>("lstAliasListTCP2")->clear();
    window_.control<QListWidget>("lstIpAddressTCP2")->clear();
}

void TcpipTab::cmdPingTCP_Click() {
    BusyCursor busy;
    general::General& general = window_.general();
    tcpip::TCPIP& module = window_.tcpip();
    MessagePane* diag = window_.pane("txtDiagTCP");
    const std::string host = tcpip::Trim(TextOf(window_.control<QLineEdit>("txtEnterHostName")));
    const bool byName = window_.control<QRadioButton>("optHostbyName")->isChecked();
    try {
        // Cleared first, so a failure to choose a name never touches an earlier run's log.
        window_.LogPath.clear();
        window_.LogPath = general.GetLogPath();
        diag->setText("");
        ClearServerResults();

        const tcpip::HostInfo info = byName ? module.GetHostByNameInfo(host, window_.LogPath)
                                            : module.GetHostByAddrInfo(host, window_.LogPath);
        SetText(window_.control<QLineEdit>("txtHostNameTCP2"), info.HostName);
        if (!info.Aliases || !info.Addresses) {
            throw Error(9, "VIRELO", "Subscript out of range");
        }
        AddListEntries(window_.control<QListWidget>("lstAliasListTCP2"), *info.Aliases,
                       info.AliasCount);

        auto* addresses = window_.control<QListWidget>("lstIpAddressTCP2");
        for (std::int16_t i = 0; i <= info.AddrCount; ++i) {
            const std::string& address = (*info.Addresses)[static_cast<std::size_t>(i)];
            addresses->addItem(QString::fromStdString(address));
            if (address.empty()) {
                continue;
            }
            if (!module.InitSockets()) {
                diag->setText(diag->text() + window_.platform().clock.timeOfDay() + " : " +
                              "Socket initialisation Failure!!" + "\r\n");
                continue;
            }
            // A fresh record for every address: a failed echo must not show the data of the
            // address before it.
            tcpip::EchoReply reply;
            const std::int32_t status =
                module.PingAddress(address, kEchoData, reply, window_.LogPath);
            diag->setText(
                tcpip::EchoReport(address, status, reply, window_.platform().clock.timeOfDay()));
            module.CleanupSockets();
        }
        diag->setText(diag->text() + general.ReadTextFile(window_.LogPath));
        if (!byName) {
            general.DeleteLogFile(window_.LogPath);
        }
    } catch (const std::exception& failure) {
        ServerCheckFailed(failure, host, byName);
    }
}

void TcpipTab::ServerCheckFailed(const std::exception& failure, const std::string& host,
                                 bool byName) {
    general::General& general = window_.general();
    const Error error = AsError(failure, "VIRELO");
    std::string text;
    if (!window_.LogPath.empty()) {
        try {
            text = general.ReadTextFile(window_.LogPath);
        } catch (const Error& unreadable) {
            // A log that a full disk kept empty was removed: there is nothing to read.
            if (unreadable.number() != errors::kFileNotFound) {
                text = "\r\nThe log file could not be read: " + unreadable.description();
            }
        }
    }
    text += " Fatal Error Fail to Obtain Server Information\r\n";
    text += ErrorLine(error) + "\r\n";
    if (error.number() == 9) {
        text += byName ? "The Host Name of " + host + " could not be resolved by gethostbyname()"
                       : "The IP Address of " + host + " could not be resolved by getaddrbyname()";
    }
    window_.pane("txtDiagTCP")->setText(text);
    if (!window_.LogPath.empty()) {
        try {
            general.DeleteLogFile(window_.LogPath);
        } catch (const Error&) {
            // The report is on screen; a log file that cannot be deleted stays behind.
        }
    }
}

void TcpipTab::ClearServiceFields(bool withInput) {
    window_.control<QListWidget>("lstServAlias")->clear();
    if (withInput) {
        window_.control<QLineEdit>("txtEnterSrvPort")->clear();
    }
    window_.control<QLineEdit>("txtSName")->clear();
    window_.control<QLineEdit>("txtPortNumber")->clear();
    window_.control<QLineEdit>("txtServProtocol")->clear();
}

void TcpipTab::cmdRetrieve_Click() {
    BusyCursor busy;
    general::General& general = window_.general();
    MessagePane* diag = window_.pane("txtDiagTCP");
    try {
        window_.LogPath.clear();
        window_.LogPath = general.GetLogPath();
        ClearServiceFields(false);
        const std::string text = tcpip::Trim(TextOf(window_.control<QLineEdit>("txtEnterSrvPort")));
        std::string protocol =
            tcpip::Trim(window_.control<QComboBox>("cboProtocol")->currentText().toStdString());
        if (protocol.empty()) {
            protocol = "TCP";
        }
        tcpip::ServiceInfo info;
        if (window_.control<QRadioButton>("optServiceName")->isChecked()) {
            if (text.empty()) {
                DropUnusedLog();
                window_.platform().boxes.show("Please Enter a Service Name", kProgramName,
                                              platform::BoxIcon::None);
                window_.control("txtEnterSrvPort")->setFocus();
                return;
            }
            info = window_.tcpip().GetServiceByName(text, protocol, window_.LogPath);
        } else {
            if (!tcpip::ParsePortNumber(text)) {
                DropUnusedLog();
                window_.platform().boxes.show("Please Enter a Numeric Port #", kProgramName,
                                              platform::BoxIcon::None);
                return;
            }
            info = window_.tcpip().GetServiceByPort(text, protocol, window_.LogPath);
        }
        SetText(window_.control<QLineEdit>("txtSName"), info.ServiceName);
        if (info.AliasCount > 0) {
            AddListEntries(window_.control<QListWidget>("lstServAlias"), *info.Aliases,
                           info.AliasCount);
        }
        SetText(window_.control<QLineEdit>("txtPortNumber"), info.Port);
        SetText(window_.control<QLineEdit>("txtServProtocol"), info.Protocol);
        diag->setText(general.ReadTextFile(window_.LogPath));
        general.DeleteLogFile(window_.LogPath);
    } catch (const std::exception& failure) {
        // The pane may end inside a log line (log text has no line end after its last line).
        const std::string& shown = diag->text();
        if (!shown.empty() && shown.back() != '\n') {
            diag->appendLine("");
        }
        diag->appendLine("Fatal Error Fail to Obtain Service Information");
        diag->appendLine(ErrorLine(AsError(failure, "VIRELO")));
    }
}

void TcpipTab::DropUnusedLog() {
    // The name was reserved by creating an empty file; an input check that ends the look-up
    // before any line is written leaves no log behind.
    try {
        window_.general().DeleteLogFile(window_.LogPath);
    } catch (const Error&) {
        // An empty file that cannot be deleted is harmless; the message box matters here.
    }
}

}  // namespace virelo::ui
