#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "report/Report.h"
#include "ui/Layout.h"

class QMenu;
class QWidget;

namespace virelo::ui {

class frmVIRELO;
class MessagePane;

// Asks where a report goes. `save` writes the report to the path chosen and says whether it could;
// after a failure (which it has shown) the dialog stays open, so the user can choose again and
// nothing is lost.
class ReportFileDialog {
public:
    virtual ~ReportFileDialog() = default;
    // Returns when the report is saved or the user cancels.
    virtual void Run(QWidget* parent, const std::string& proposed,
                     const std::function<bool(const std::string&)>& save) = 0;
};

// The toolkit's own file dialog.
class QtReportFileDialog : public ReportFileDialog {
public:
    void Run(QWidget* parent, const std::string& proposed,
             const std::function<bool(const std::string&)>& save) override;
};

// The support report of the window: "Save Report..." and "Copy Report" in the context menu of
// every message pane, and Ctrl+S. The report holds the workstation's facts, then for each tab
// that was used its inputs, what its pane shows and the log of its last run. The TCP/IP tab is
// always used, as start-up looks up the client host on it.
class ReportActions : public QObject {
    Q_OBJECT
public:
    explicit ReportActions(frmVIRELO& window);

    // Another dialog in place of the toolkit's (tests record instead of blocking).
    void SetDialog(ReportFileDialog& dialog) { dialog_ = &dialog; }

    // The report as it would be saved now.
    std::string Report();
    void SaveReport();
    void CopyReport();
    // The pane's context menu: the usual entries, then the report's. The caller owns it.
    QMenu* PaneMenu(MessagePane* pane);

private:
    std::vector<report::TabRun> Runs() const;
    report::TabRun Run(int page) const;
    std::vector<std::string> Passwords() const;
    std::string Compose(const report::Header& header) const;

    frmVIRELO& window_;
    std::array<bool, kTabCount> used_{};
    QtReportFileDialog qtDialog_;
    ReportFileDialog* dialog_ = &qtDialog_;
};

}  // namespace virelo::ui
