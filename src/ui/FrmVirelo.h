#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "complus/ConnectionTester.h"
#include "general/General.h"
#include "platform/Platform.h"
#include "serverdir/NativeConnector.h"
#include "tcpip/TCPIP.h"
#include "ui/FocusOrder.h"
#include "ui/HelpWindows.h"
#include "ui/LayoutBuilder.h"

class QLineEdit;
class QListWidget;

class QTabWidget;

namespace virelo::ui {

class AfterFirstPaint;
class MessagePane;
class TcpipTab;
class NativeTab;
class ComPlusTab;
class OdbcTab;
class JdbcTab;

// The main window: five tabs, one for each layer of connectivity that can fail. It owns what the
// tabs share (the current log path, the message panes, the platform services) and runs every
// action as a handler named after its control and event.
class frmVIRELO : public QWidget {
    Q_OBJECT
public:
    // How the window creates its two external components, each on first use. A factory that is
    // not set, or that raises, means the component cannot be created: the use that needed it
    // reports the error.
    struct Components {
        std::function<std::unique_ptr<serverdir::NativeConnector>()> CreateNativeConnector;
        std::function<std::unique_ptr<complus::ConnectionTester>()> CreateConnectionTester;
    };

    // Builds the window and runs the start-up sequence (Form_Load) before it is first shown.
    frmVIRELO(platform::Platform& platform, HelpWindows& sideWindows, Components components,
              double dpi);
    ~frmVIRELO() override;

    // The path of the TCP/IP tab's current log file.
    std::string LogPath;

    // A control by its layout name, or nullptr.
    template <typename T = QWidget>
    T* control(const std::string& name) const {
        const auto it = controls_.find(name);
        return it == controls_.end() ? nullptr : qobject_cast<T*>(it->second);
    }
    MessagePane* pane(const std::string& name) const;
    platform::Platform& platform() { return platform_; }
    general::General& general() { return general_; }
    tcpip::TCPIP& tcpip() { return tcpip_; }
    TcpipTab& tcpipTab() { return *tcpipTab_; }
    OdbcTab& odbcTab() { return *odbcTab_; }
    JdbcTab& jdbcTab() { return *jdbcTab_; }
    NativeTab& nativeTab() { return *nativeTab_; }
    ComPlusTab& comPlusTab() { return *comPlusTab_; }
    QTabWidget* SSTabVIRELO() const { return tabs_; }
    // The TabIndex a control holds now (1 for the first of the page in front), 0 when none.
    int TabIndexOf(const std::string& name) const;

    // The component instances, created on first use and kept until the window goes away.
    // Raise an Error when the component cannot be created.
    serverdir::NativeConnector& NativeConnectorInstance();
    complus::ConnectionTester& ConnectionTesterInstance();

    // Start-up and shutdown.
    void Form_Load();
    // Fills at once the lists that start-up leaves until after the window's first paint.
    void FinishStartup();
    void Form_Unload();

    // Tab switching and focus.
    void SSTabVIRELO_Click(int previousTab);
    void SetTabFocus();
    void txtUserNameCon_GotFocus() { SetTabFocus(); }
    void cboSystemDSN_GotFocus() { SetTabFocus(); }
    void cboODBCSysDSN_GotFocus() { SetTabFocus(); }
    void cmbDriverClassJDBC_GotFocus() { SetTabFocus(); }
    void txtEnterHostName_Change() { SetTabFocus(); }
    void cmdCloseTCP_KeyDown(int keyCode);
    void cmdCloseTCP_KeyPress(int charCode);

    // The five Close buttons unload the main window.
    void cmdCloseTCP_Click() { close(); }
    void cmdCloseCon_Click() { close(); }
    void cmdCloseODBC_Click() { close(); }
    void cmdODBCClose_Click() { close(); }
    void cmdJDBCClose_Click() { close(); }

protected:
    bool focusNextPrevChild(bool next) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectHandlers();
    // The focus handler of a control that has one.
    void RunGotFocus(const QString& name);
    void AssignTabOrder(int page, bool withWrap);
    // Runs one step of start-up; a failure is added to the problems shown after the log.
    void RunStartupStep(std::vector<std::string>& problems, const std::string& what,
                        const std::function<void()>& run);
    // The start-up steps that fill the lists of the JDBC, ODBC and COM+ tabs.
    void FillStartupLists();
    // The start-up log and the steps that failed, in the TCP/IP pane.
    void ShowStartupLog();
    // The list fillers of the Native Connect, COM+ and ODBC tabs, run at start-up and when their
    // tab comes to the front. Each may raise an Error.
    void FillNativeServerList();
    void FillComPlusTab();
    void FillODBCDSNLists();
    // Appends to a tab's pane, as lines of their own, the registry view's warnings on the topic
    // of the list just filled that this pane has not shown yet.
    void ShowRegistryWarnings(platform::RegistryTopic topic, const std::string& paneName);

    platform::Platform& platform_;
    general::General general_;
    tcpip::TCPIP tcpip_;
    HelpWindows& sideWindows_;
    Components components_;
    std::unique_ptr<serverdir::NativeConnector> nativeConnector_;
    std::unique_ptr<complus::ConnectionTester> connectionTester_;
    ControlMap controls_;
    QTabWidget* tabs_ = nullptr;
    // The tabs' handlers, owned as child objects of the window.
    TcpipTab* tcpipTab_ = nullptr;
    OdbcTab* odbcTab_ = nullptr;
    JdbcTab* jdbcTab_ = nullptr;
    NativeTab* nativeTab_ = nullptr;
    ComPlusTab* comPlusTab_ = nullptr;
    FocusOrder focusOrder_;
    AfterFirstPaint* startupLists_ = nullptr;
    std::string startupLog_;
    std::vector<std::string> listProblems_;     // failed list fillers, the first steps
    std::vector<std::string> startupProblems_;  // the other failed steps
    std::vector<platform::RegistryWarning> registryWarnings_;   // every one taken so far
    std::map<std::string, std::size_t> registryWarningsShown_;  // per pane, how many were seen
    int shownTab_ = 0;
    bool unloaded_ = false;
};

// Sets a single-line box's text and shows it from its start.
void SetText(QLineEdit* box, const std::string& text);

// Adds a list's entries 0 through count inclusive: the entries and the empty slot after them.
void AddListEntries(QListWidget* list, const std::vector<std::string>& entries, std::int16_t count);

// The text of the critical box shown when the sockets library cannot be started.
std::string SocketsStartupFailureText(std::int32_t code);

}  // namespace virelo::ui
