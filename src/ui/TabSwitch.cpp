#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>

#include "ui/BusyCursor.h"
#include "ui/FrmVirelo.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"

namespace virelo::ui {
namespace {

// The key code a key event would carry on the workstation: letters, digits and the few named keys
// keep their ASCII codes (Tab is 9).
int KeyCode(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        default:
            return key.key() < 0x80 ? key.key() : 0;
    }
}

}  // namespace

int frmVIRELO::TabIndexOf(const std::string& name) const {
    return focusOrder_.tabIndex(control(name));
}

void frmVIRELO::AssignTabOrder(int page, bool withWrap) {
    const auto table = TabOrderTable(page);
    std::vector<QWidget*> order;
    for (std::size_t i = 0; i < table.size() - (withWrap ? 0 : 1); ++i) {
        order.push_back(control(table[i]));
    }
    focusOrder_.assign(std::move(order), withWrap);
}

void frmVIRELO::SSTabVIRELO_Click(int /*previousTab*/) {
    BusyCursor busy;
    try {
        switch (tabs_->currentIndex()) {
            case 0:
                AssignTabOrder(0, true);
                SetTabFocus();
                break;
            case 1:
                AssignTabOrder(1, true);
                SetTabFocus();
                FillNativeServerList();
                break;
            case 2:
                AssignTabOrder(2, true);
                SetTabFocus();
                FillComPlusTab();
                break;
            case 3:
                AssignTabOrder(3, true);
                SetTabFocus();
                FillODBCDSNLists();
                break;
            case 4:
                AssignTabOrder(4, true);
                SetTabFocus();
                break;
            default:
                break;
        }
    } catch (const std::exception& failure) {
        MessagePane* diag = pane("txtDiagCOM");
        diag->appendLine("Fatal Error Fail to Obtain client Information sucessfully");
        diag->appendLine(ErrorLine(AsError(failure, "VIRELO")));
    }
}

void frmVIRELO::SetTabFocus() {
    for (int page = 0; page < kTabCount; ++page) {
        if (tabs_->currentIndex() == page) {
            control(FirstInputControl(page))->setFocus(Qt::OtherFocusReason);
        }
    }
}

void frmVIRELO::RunGotFocus(const QString& name) {
    if (name == "txtUserNameCon") {
        txtUserNameCon_GotFocus();
    } else if (name == "cboSystemDSN") {
        cboSystemDSN_GotFocus();
    } else if (name == "cboODBCSysDSN") {
        cboODBCSysDSN_GotFocus();
    } else if (name == "cmbDriverClassJDBC") {
        cmbDriverClassJDBC_GotFocus();
    }
}

bool frmVIRELO::focusNextPrevChild(bool next) {
    const FocusOrder::Step step = focusOrder_.next(QApplication::focusWidget(), next);
    if (step.target == nullptr) {
        return QWidget::focusNextPrevChild(next);
    }
    step.target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    // The wrap control lies on a page that is not shown; its focus handler (where it has one)
    // sends the focus back to the page in front.
    if (step.wrap && QApplication::focusWidget() == step.target) {
        RunGotFocus(step.target->objectName());
    }
    return true;
}

bool frmVIRELO::eventFilter(QObject* watched, QEvent* event) {
    const QString name = watched->objectName();
    if (event->type() == QEvent::FocusIn) {
        RunGotFocus(name);
    } else if (event->type() == QEvent::KeyPress && name == "cmdCloseTCP") {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool moves = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        // The Tab key moves the focus before any key handler sees it.
        if (!moves) {
            const int code = KeyCode(*key);
            cmdCloseTCP_KeyDown(code);
            // A character follows a key that makes one; Ctrl+Tab makes none.
            if (code != 9 && !key->text().isEmpty()) {
                cmdCloseTCP_KeyPress(key->text().at(0).unicode());
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmVIRELO::cmdCloseTCP_KeyDown(int keyCode) {
    if (keyCode == 9) {
        platform_.boxes.show("tab key pressed", kProgramName, platform::BoxIcon::None);
    }
}

void frmVIRELO::cmdCloseTCP_KeyPress(int charCode) {
    if (charCode == 9) {
        platform_.boxes.show("tab key pressed", kProgramName, platform::BoxIcon::None);
    }
}

}  // namespace virelo::ui
