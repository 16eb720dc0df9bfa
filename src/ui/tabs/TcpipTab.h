#pragma once

#include <QObject>

namespace virelo::ui {

class frmVIRELO;

// The handlers of the TCP/IP tab's "Server Information" and "Service and Port Information"
// frames: the server host check with its echo requests, and the services look-up.
class TcpipTab : public QObject {
    Q_OBJECT
public:
    explicit TcpipTab(frmVIRELO& window);

    void cmdPingTCP_Click();
    void cmdClearTCP_Click();
    void optHostbyName_Click() { cmdClearTCP_Click(); }
    void optHostbyAddr_Click() { cmdClearTCP_Click(); }

    void cmdRetrieve_Click();
    void cmdClearServ_Click() { ClearServiceFields(true); }
    void optServiceName_Click() { ClearServiceFields(true); }
    void optPortName_Click() { ClearServiceFields(true); }

private:
    void ClearServerResults();
    void ClearServiceFields(bool withInput);
    void DropUnusedLog();
    void ServerCheckFailed(const std::exception& failure, const std::string& host, bool byName);

    frmVIRELO& window_;
};

}  // namespace virelo::ui
