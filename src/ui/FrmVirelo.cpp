#include "ui/FrmVirelo.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "ui/AfterFirstPaint.h"
#include "ui/AppLook.h"
#include "ui/BusyCursor.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/ReportActions.h"
#include "ui/Wiring.h"
#include "ui/tabs/ComPlusTab.h"
#include "ui/tabs/JdbcTab.h"
#include "ui/tabs/NativeTab.h"
#include "ui/tabs/OdbcTab.h"
#include "ui/tabs/TcpipTab.h"

namespace virelo::ui {
namespace {

constexpr std::size_t kHostNameHolderLength = 256;

// The start-up host-name holder is a fixed-length text: shorter names are padded with blanks.
std::string HostNameHolder(const std::string& name) {
    std::string holder = name.substr(0, kHostNameHolderLength);
    holder.resize(kHostNameHolderLength, ' ');
    return holder;
}

}  // namespace

void AddListEntries(QListWidget* list, const std::vector<std::string>& entries,
                    std::int16_t count) {
    for (std::int16_t i = 0; i <= count && i < static_cast<std::int16_t>(entries.size()); ++i) {
        list->addItem(QString::fromStdString(entries[static_cast<std::size_t>(i)]));
    }
}

void SetText(QLineEdit* box, const std::string& text) {
    box->setText(QString::fromStdString(text));
    box->setCursorPosition(0);  // show the start of a long text, as a freshly filled box does
}

std::string SocketsStartupFailureText(std::int32_t code) {
    switch (code) {
        case 10022:
            return "The Windows Sockets version specified by the application is not supported by "
                   "this DLL.";
        case 10091:
            return "The underlying network subsystem is not ready for network communication.";
        case 10092:
            return "The version of Windows Sockets API support requested is not provided by this "
                   "particular Windows Sockets implementation.";
        default:
            return "";
    }
}

frmVIRELO::frmVIRELO(platform::Platform& platform, HelpWindows& sideWindows, Components components,
                     double dpi)
    : platform_(platform),
      general_(platform.files, platform.clock, platform.processes),
      tcpip_(platform.sockets, platform.icmp, general_),
      sideWindows_(sideWindows),
      components_(std::move(components)) {
    setObjectName("frmVIRELO");
    setWindowTitle(QString::fromUtf8(kMainCaption));
    setWindowIcon(ProgramIcon());
    setFont(ProgramFont());
    setFixedSize(TwipsToPixels(kClientArea.width, dpi), TwipsToPixels(kClientArea.height, dpi));
    tabs_ = BuildMainLayout(this, dpi, controls_);
    ConnectHandlers();
    tcpipTab_ = new TcpipTab(*this);
    odbcTab_ = new OdbcTab(*this);
    jdbcTab_ = new JdbcTab(*this);
    nativeTab_ = new NativeTab(*this);
    comPlusTab_ = new ComPlusTab(*this);
    new ReportActions(*this);  // a child of the window, like the tabs
    Form_Load();
    // The window opens with the focus in the first control of the TCP/IP tab order, which start-up
    // has just assigned; the toolkit would otherwise pick the first control it created.
    control(FirstInputControl(0))->setFocus(Qt::OtherFocusReason);
}

frmVIRELO::~frmVIRELO() {
    Form_Unload();
}

MessagePane* frmVIRELO::pane(const std::string& name) const {
    return control<MessagePane>(name);
}

namespace {

// Creates a component with its factory; a missing factory or one that returns nothing means the
// component is not available on this machine.
template <typename T>
std::unique_ptr<T> CreateComponent(const std::function<std::unique_ptr<T>()>& factory,
                                   const char* name) {
    std::unique_ptr<T> instance = factory ? factory() : nullptr;
    if (!instance) {
        throw Error(429, "VIRELO",
                    std::string("ActiveX component can't create object: the ") + name +
                        " component is not available");
    }
    return instance;
}

}  // namespace

serverdir::NativeConnector& frmVIRELO::NativeConnectorInstance() {
    if (!nativeConnector_) {
        nativeConnector_ = CreateComponent(components_.CreateNativeConnector, "native-connect");
    }
    return *nativeConnector_;
}

complus::ConnectionTester& frmVIRELO::ConnectionTesterInstance() {
    if (!connectionTester_) {
        connectionTester_ =
            CreateComponent(components_.CreateConnectionTester, "connection-tester");
    }
    return *connectionTester_;
}

void frmVIRELO::FillNativeServerList() {
    nativeTab_->FillNativeServerList();
    ShowRegistryWarnings(platform::RegistryTopic::ServerDirectory, "txtErrorCon");
}

void frmVIRELO::FillComPlusTab() {
    comPlusTab_->FillComPlusTab();
    ShowRegistryWarnings(platform::RegistryTopic::ServerDirectory, "txtDiagCOM");
}

void frmVIRELO::FillODBCDSNLists() {
    odbcTab_->FillODBCDSNLists();
    ShowRegistryWarnings(platform::RegistryTopic::DataSources, "txtDiagODBC");
}

void frmVIRELO::ShowRegistryWarnings(platform::RegistryTopic topic, const std::string& paneName) {
    // A user who starts the program from a menu never sees standard error: a server or data
    // source missing from a list is explained where the list is.
    for (platform::RegistryWarning& warning : platform_.registry.takeWarnings()) {
        registryWarnings_.push_back(std::move(warning));
    }
    MessagePane* shownIn = pane(paneName);
    std::size_t& shown = registryWarningsShown_[paneName];
    for (; shown < registryWarnings_.size(); ++shown) {
        if (registryWarnings_[shown].topic != topic) {
            continue;
        }
        if (!shownIn->text().empty() && !shownIn->text().ends_with("\r\n")) {
            shownIn->appendLine("");  // a log's text ends without a line end
        }
        shownIn->appendLine("Warning: " + registryWarnings_[shown].text);
    }
}

void frmVIRELO::RunStartupStep(std::vector<std::string>& problems, const std::string& what,
                               const std::function<void()>& run) {
    // Start-up has no error branch of its own; a step that fails is reported in the TCP/IP pane
    // after the log, and the next step runs all the same.
    try {
        run();
    } catch (const std::exception& failure) {
        problems.push_back("Start-up could not " + what + ".");
        problems.push_back(ErrorLine(AsError(failure, "VIRELO")));
    }
}

void frmVIRELO::Form_Load() {
    BusyCursor busy;
    listProblems_.clear();
    startupProblems_.clear();
    // The lists of the tabs behind the first are not seen before the user brings their tab to the
    // front: they are filled right after the window's first paint, which comes the sooner, and
    // before the user's first input, so that all is as described by the time the user can act.
    delete startupLists_;
    startupLists_ = new AfterFirstPaint(this, [this] { FillStartupLists(); });
    const auto step = [this](const std::string& what, const std::function<void()>& run) {
        RunStartupStep(startupProblems_, what, run);
    };

    step("choose a log file", [this] { LogPath = general_.GetLogPath(); });
    AssignTabOrder(0, false);
    auto* protocol = control<QComboBox>("cboProtocol");
    protocol->addItem("TCP");
    protocol->addItem("UDP");
    protocol->setEditText("TCP");

    const std::int32_t started = platform_.sockets.startup(0x0101);
    if (started != 0) {
        platform_.boxes.show(SocketsStartupFailureText(started), kProgramName,
                             platform::BoxIcon::Critical);
    }

    // A TEMP that cannot be used costs the log, not the client fields: the look-ups go on
    // without it and the pane says once why there is no log.
    general_.DropUnwritableLines(true);
    std::string holder = HostNameHolder("");
    step("read the host name", [&] {
        holder = HostNameHolder(tcpip_.GetLocalHostName(LogPath));
        SetText(control<QLineEdit>("txtComputerTCP"), holder);
    });
    tcpip::HostInfo info;
    step("look up the host", [&] { info = tcpip_.GetHostByNameInfo(holder, LogPath); });
    SetText(control<QLineEdit>("txtQualifiedNameTCP"), info.HostName);
    if (info.Aliases && info.Addresses) {  // a failed look-up has no lists: both stay empty
        AddListEntries(control<QListWidget>("lstAliasListTCP"), *info.Aliases, info.AliasCount);
        AddListEntries(control<QListWidget>("lstIpAddressTCP"), *info.Addresses, info.AddrCount);
    }
    const std::optional<Error> unwritten = general_.LogFailure();
    general_.DropUnwritableLines(false);

    // When no log could be chosen, the choice has said why, naming the directory.
    startupLog_.clear();
    if (!LogPath.empty()) {
        step("read the log file", [&] {
            try {
                startupLog_ = general_.ReadTextFile(LogPath);
            } catch (const std::exception&) {
                if (!unwritten) {  // else the file is gone with the lines it could not hold
                    throw;
                }
            }
        });
        if (unwritten) {
            const std::size_t end = LogPath.find_last_of(platform_.files.pathSeparator());
            startupProblems_.push_back("Start-up could not write the log file in " +
                                       LogPath.substr(0, end == std::string::npos ? 0 : end) + ".");
            startupProblems_.push_back(ErrorLine(*unwritten));
        }
    }
    ShowStartupLog();
}

void frmVIRELO::FillStartupLists() {
    BusyCursor busy;
    const auto step = [this](const std::string& what, const std::function<void()>& run) {
        RunStartupStep(listProblems_, what, run);
    };
    step("fill the JDBC lists", [this] { jdbcTab_->InitFixedLists(); });
    step("fill the ODBC data-source lists", [this] { FillODBCDSNLists(); });
    step("fill the COM+ lists", [this] { FillComPlusTab(); });
    if (!listProblems_.empty()) {
        ShowStartupLog();
    }
}

void frmVIRELO::FinishStartup() {
    if (startupLists_ != nullptr) {
        startupLists_->runNow();
    }
}

void frmVIRELO::ShowStartupLog() {
    // The log, then what start-up could not do, in the order of its steps: the lists first.
    std::string text = startupLog_;
    if (!(listProblems_.empty() && startupProblems_.empty()) && !text.empty()) {
        text += "\r\n";  // the log text ends without a line end
    }
    for (const auto* problems : {&listProblems_, &startupProblems_}) {
        for (const auto& line : *problems) {
            text += line + "\r\n";
        }
    }
    pane("txtDiagTCP")->setText(text);
}

void frmVIRELO::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    platform_.sockets.cleanup();
}

void frmVIRELO::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmVIRELO::ConnectHandlers() {
    OnClick(*this, "cmdCloseTCP", this, &frmVIRELO::cmdCloseTCP_Click);
    OnClick(*this, "cmdCloseCon", this, &frmVIRELO::cmdCloseCon_Click);
    OnClick(*this, "cmdCloseODBC", this, &frmVIRELO::cmdCloseODBC_Click);
    OnClick(*this, "cmdODBCClose", this, &frmVIRELO::cmdODBCClose_Click);
    OnClick(*this, "cmdJDBCClose", this, &frmVIRELO::cmdJDBCClose_Click);

    // Help and About: one program-wide window each, shown modeless.
    const std::pair<const char*, SideWindow> sideButtons[] = {
        {"cmdtcphelp", SideWindow::TcpHelp},   {"cmdhelpnative", SideWindow::NativeHelp},
        {"cmdhelpcom", SideWindow::ComHelp},   {"cmdhelpodbc", SideWindow::OdbcHelp},
        {"cmdhelpjdbc", SideWindow::JdbcHelp}, {"cmdAboutTCP", SideWindow::About},
        {"cmdAboutCon", SideWindow::About},    {"cmdAboutODBC", SideWindow::About},
        {"cmdODBCAbout", SideWindow::About},   {"cmbJDBCAbout", SideWindow::About},
    };
    for (const auto& [name, window] : sideButtons) {
        connect(control<QPushButton>(name), &QPushButton::clicked, this,
                [this, which = window] { sideWindows_.Show(which); });
    }

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        const int previous = shownTab_;
        shownTab_ = index;
        SSTabVIRELO_Click(previous);
    });
    connect(control<QLineEdit>("txtEnterHostName"), &QLineEdit::textChanged, this,
            [this] { txtEnterHostName_Change(); });
    for (const char* name :
         {"txtUserNameCon", "cboSystemDSN", "cboODBCSysDSN", "cmbDriverClassJDBC", "cmdCloseTCP"}) {
        control(name)->installEventFilter(this);
    }
}

}  // namespace virelo::ui
