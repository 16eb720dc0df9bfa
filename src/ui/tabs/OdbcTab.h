#pragma once

#include <QObject>
#include <string>

#include "odbc/DriverManager.h"
#include "odbc/ODBC.h"
#include "odbc/ODBCInfo.h"

namespace virelo::ui {

class frmVIRELO;

// The ODBC tab: the system and user data-source lists, the choice between them, and the ODBC ping
// through the driver manager with the connection and driver information it reports.
class OdbcTab : public QObject {
    Q_OBJECT
public:
    explicit OdbcTab(frmVIRELO& window);

    // The log file of the latest ODBC ping; the TCP/IP tab's LogPath is a different file.
    std::string ODBCLogPath;

    // Refills both lists from the data-source keys, which also empties both combo texts.
    void FillODBCDSNLists();

    void cmdODBCPing_Click();
    void cmdODBCClear_Click();
    void optODBCSysDSN_Click();
    void optODBCUsrDSN_Click();
    // Dropping a list down does not reload it: the lists are read when the tab comes to the front.
    void cboODBCSysDSN_DropDown() {}
    void cboODBCUsrDSN_DropDown() {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowInformation(const odbc::ODBCInfo& info);
    void ShowPingFailure(const std::exception& failure);

    frmVIRELO& window_;
    odbc::SystemDriverManager driverManager_;
    odbc::ODBC odbc_;
};

}  // namespace virelo::ui
