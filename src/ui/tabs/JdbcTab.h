#pragma once

#include <QObject>
#include <string>
#include <vector>

#include "jdbc/JdbcUrl.h"

namespace virelo::ui {

class frmVIRELO;

// The JDBC tab: the fixed lists filled at start-up, the URL builder with its parameter list, and
// the JDBC ping through the Java test class.
class JdbcTab : public QObject {
    Q_OBJECT
public:
    explicit JdbcTab(frmVIRELO& window);

    // The log file of the latest JDBC ping, for the support report.
    std::string JDBCLogPath;

    // Start-up: the PATH and CLASSPATH lines, the JDBC lists, and the server protocol lists of
    // the Native Connect and COM+ tabs.
    void InitFixedLists();

    void SetParameter(const std::string& name, const std::string& value);
    std::string BuildJDBCURL() const;
    void JDBCPing(const std::string& url);

    void lstParamsJDBC_Click();
    void lstParamsJDBC_KeyDown(int keyCode);
    void cmdAddParameterJDBC_Click();
    void cmdDeleteParameterJDBC_Click();
    void cmdBuildJDBC_Click();
    void optBuildURLJDBC_Click() { ShowBuildMode(true); }
    void optStringURLJDBC_Click() { ShowBuildMode(false); }
    void cmdConnectCompJDBC_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::string> Parameters() const;
    void ShowParameters(const std::vector<std::string>& items);
    void ShowBuildMode(bool build);
    std::string PathLines();

    frmVIRELO& window_;
};

}  // namespace virelo::ui
