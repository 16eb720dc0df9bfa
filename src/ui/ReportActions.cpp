#include "ui/ReportActions.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QShortcut>

#include "ui/BusyCursor.h"
#include "ui/FrmVirelo.h"
#include "ui/MessagePane.h"
#include "ui/tabs/JdbcTab.h"
#include "ui/tabs/OdbcTab.h"

namespace virelo::ui {
namespace {

// The message pane of each tab, in tab order.
constexpr const char* kPanes[kTabCount] = {"txtDiagTCP", "txtErrorCon", "txtDiagCOM", "txtDiagODBC",
                                           "txtMessagesJDBC"};

bool IsPane(const char* name) {
    return std::any_of(std::begin(kPanes), std::end(kPanes),
                       [name](const char* pane) { return std::string(pane) == name; });
}

// A button that runs something on its tab; Help, About, Close and Clear leave nothing to report.
bool RunsSomething(const ControlRow& row) {
    const std::string caption = row.caption;
    return row.kind == Kind::Button && caption != "Help" && caption != "About" &&
           caption != "Close" && caption != "Clear";
}

std::string Caption(const char* text) {
    std::string caption = text;
    while (!caption.empty() && (caption.back() == ' ' || caption.back() == ':')) {
        caption.pop_back();
    }
    return caption;
}

// The file dialog that writes the report when the user accepts a file, and stays open when it
// cannot be written.
class SavingFileDialog : public QFileDialog {
public:
    SavingFileDialog(QWidget* parent, const std::function<bool(const std::string&)>& save)
        : QFileDialog(parent, "Save Report"), save_(save) {}

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (chosen.isEmpty() || QFileInfo(chosen.first()).isDir()) {
            QFileDialog::accept();  // the dialog opens the directory, as it does on its own
            return;
        }
        if (save_(chosen.first().toStdString())) {
            QDialog::accept();
        }
    }

private:
    std::function<bool(const std::string&)> save_;
};

}  // namespace

void QtReportFileDialog::Run(QWidget* parent, const std::string& proposed,
                             const std::function<bool(const std::string&)>& save) {
    SavingFileDialog dialog(parent, save);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The report refuses an existing file itself and says why; the toolkit's own dialog is the
    // one whose acceptance can be checked first.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilter("Text files (*.txt)");
    dialog.selectFile(QString::fromStdString(proposed));
    dialog.exec();
}

ReportActions::ReportActions(frmVIRELO& window) : QObject(&window), window_(window) {
    setObjectName("reportActions");
    used_[0] = true;
    for (const ControlRow& row : MainWindowLayout()) {
        if (RunsSomething(row)) {
            connect(window_.control<QAbstractButton>(row.name), &QAbstractButton::clicked, this,
                    [this, page = row.page] { used_[static_cast<std::size_t>(page)] = true; });
        }
    }
    for (const char* name : kPanes) {
        MessagePane* pane = window_.pane(name);
        pane->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(pane, &QWidget::customContextMenuRequested, this, [this, pane](QPoint at) {
            QMenu* menu = PaneMenu(pane);
            menu->exec(pane->viewport()->mapToGlobal(at));
            delete menu;
        });
    }
    connect(new QShortcut(QKeySequence::Save, &window_), &QShortcut::activated, this,
            &ReportActions::SaveReport);
}

QMenu* ReportActions::PaneMenu(MessagePane* pane) {
    QMenu* menu = pane->createStandardContextMenu();
    menu->addSeparator();
    QAction* save = menu->addAction("Save Report...", this, &ReportActions::SaveReport);
    save->setObjectName("mnuSaveReport");
    save->setShortcut(QKeySequence::Save);
    menu->addAction("Copy Report", this, &ReportActions::CopyReport)
        ->setObjectName("mnuCopyReport");
    return menu;
}

report::TabRun ReportActions::Run(int page) const {
    report::TabRun run;
    run.title = kTabCaptions[page];
    // A control is named by the caption of the label or option button right before it in its
    // frame, or else by its own name.
    const ControlRow* previous = nullptr;
    for (const ControlRow& row : MainWindowLayout()) {
        if (row.page != page || row.kind == Kind::Frame || row.kind == Kind::Button) {
            continue;
        }
        const bool captioned = previous != nullptr && previous->container == row.container &&
                               (previous->kind == Kind::Label || previous->kind == Kind::Option);
        const std::string label = captioned ? Caption(previous->caption) : row.name;
        previous = &row;
        QWidget* control = window_.control(row.name);
        if (row.kind == Kind::Label) {
            continue;
        }
        if (row.kind == Kind::Option) {
            if (static_cast<QAbstractButton*>(control)->isChecked()) {
                run.inputs.emplace_back(Caption(row.caption), "(selected)");
            }
            continue;
        }
        if (IsPane(row.name)) {
            run.paneTitle = std::string("Message pane ") + row.name;
            run.pane = window_.pane(row.name)->text();
            continue;
        }
        std::string value;
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            value = combo->currentText().toStdString();
        } else if (auto* list = qobject_cast<QListWidget*>(control)) {
            for (int i = 0; i < list->count(); ++i) {
                const std::string item = list->item(i)->text().toStdString();
                value += item.empty() ? "" : (value.empty() ? "" : ", ") + item;
            }
        } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
            value = line->text().toStdString();
        } else if (auto* box = qobject_cast<MessagePane*>(control)) {
            value = box->text();
        }
        if ((row.flags & kPassword) != 0) {
            value = value.empty() ? "(empty)" : "(given)";
        }
        run.inputs.emplace_back(label, value.empty() ? "(empty)" : value);
    }
    if (page == 0) {
        run.logPath = window_.LogPath;
    } else if (page == 3) {
        run.logPath = window_.odbcTab().ODBCLogPath;
    } else if (page == 4) {
        run.logPath = window_.jdbcTab().JDBCLogPath;
    }
    return run;
}

std::vector<report::TabRun> ReportActions::Runs() const {
    std::vector<report::TabRun> runs;
    for (int page = 0; page < kTabCount; ++page) {
        if (used_[static_cast<std::size_t>(page)]) {
            runs.push_back(Run(page));
        }
    }
    return runs;
}

std::vector<std::string> ReportActions::Passwords() const {
    std::vector<std::string> passwords;
    for (const ControlRow& row : MainWindowLayout()) {
        if ((row.flags & kPassword) != 0) {
            passwords.push_back(window_.control<QLineEdit>(row.name)->text().toStdString());
        }
    }
    return passwords;
}

std::string ReportActions::Compose(const report::Header& header) const {
    return report::ComposeReport(header, Runs(), window_.platform().files, Passwords());
}

namespace {

report::Header WindowHeader(frmVIRELO& window, bool withJava) {
    platform::Platform& platform = window.platform();
    // A registry view assembled from files names them; the system's own registry has none.
    auto* origins = dynamic_cast<platform::RegistryOrigins*>(&platform.registry);
    return report::GatherHeader({platform.files, platform.processes, origins,
                                 std::string("virelo ") + VIRELO_VERSION,
                                 std::string("Qt ") + qVersion(), withJava});
}

}  // namespace

std::string ReportActions::Report() {
    return Compose(WindowHeader(window_, used_[4]));
}

void ReportActions::CopyReport() {
    BusyCursor busy;  // the driver manager and Java are asked for their facts
    QGuiApplication::clipboard()->setText(QString::fromStdString(Report()));
}

void ReportActions::SaveReport() {
    // Made once: a second try after a failed write saves the very same report.
    report::Header header;
    std::string text;
    {
        BusyCursor busy;  // the driver manager and Java are asked for their facts
        header = WindowHeader(window_, used_[4]);
        text = Compose(header);
    }
    const std::string proposed =
        QDir::homePath().toStdString() + "/" + report::ReportFileName(header);
    dialog_->Run(&window_, proposed, [this, &text](const std::string& path) {
        const platform::FileStatus status =
            report::WriteReport(window_.platform().files, path, text);
        if (!status.ok()) {
            window_.platform().boxes.show("The report could not be saved: " + status.reason +
                                              ".\nChoose another name or folder.",
                                          kProgramName, platform::BoxIcon::None);
        }
        return status.ok();
    });
}

}  // namespace virelo::ui
