#include "ui/FocusOrder.h"

#include <QRadioButton>
#include <QWidget>

namespace virelo::ui {
namespace {

// Generated from the window's tab-order design: each page, then its wrap control.
constexpr const char* kTcp[] = {
    "txtEnterHostName", "optHostbyName", "optHostbyAddr",   "cmdPingTCP",  "cmdClearTCP",
    "optServiceName",   "optPortName",   "txtEnterSrvPort", "cboProtocol", "cmdRetrieve",
    "cmdClearServ",     "cmdtcphelp",    "cmdAboutTCP",     "cmdCloseTCP", "txtUserNameCon"};
constexpr const char* kNative[] = {
    "txtUserNameCon", "txtPasswordCon", "cboServerCon",   "cmdLookupCon", "txtHostCon",
    "txtServiceCon",  "cboProtocolCon", "txtDatabaseCon", "cmdPingCon",   "cmdhelpnative",
    "cmdAboutCon",    "cmdCloseCon",    "cboSystemDSN"};
constexpr const char* kCom[] = {
    "cboSystemDSN",  "optSystemDSN",  "optUserDSN",      "cboUserDSN",
    "optODBCDriver", "cboODBCDriver", "optADOOleDriver", "cboADOOleDriver",
    "optDSNLess",    "txtDSNLess",    "cboADOServer",    "cmdLookupSqlhostInfo",
    "txtADOHost",    "txtADOPort",    "cboADOProtocol",  "txtADODatabase",
    "txtUID",        "txtPWD",        "cmdViewString",   "cmdPingADO",
    "cmdClearADO",   "cmdhelpcom",    "cmdAboutODBC",    "cmdCloseODBC",
    "cboODBCSysDSN"};
constexpr const char* kOdbc[] = {"cboODBCSysDSN", "optODBCSysDSN", "optODBCUsrDSN",
                                 "cboODBCUsrDSN", "txtODBCUID",    "txtODBCPWD",
                                 "cmdODBCPing",   "cmdODBCClear",  "cmdhelpodbc",
                                 "cmdODBCAbout",  "cmdODBCClose",  "cmbDriverClassJDBC"};
constexpr const char* kJdbc[] = {
    "cmbDriverClassJDBC",  "optBuildURLJDBC",  "cmbProtocolJDBC",   "txtHostJDBC",
    "txtPortJDBC",         "txtUserJDBC",      "txtDBNameJDBC",     "txtPassJDBC",
    "lstParamsJDBC",       "txtParamJDBC",     "txtParamValueJDBC", "cmdDeleteParameterJDBC",
    "cmdAddParameterJDBC", "optStringURLJDBC", "txtConURLJDBC",     "cmdBuildJDBC",
    "cmdConnectCompJDBC",  "cmdhelpjdbc",      "cmbJDBCAbout",      "cmdJDBCClose",
    "txtEnterHostName"};

}  // namespace

std::span<const char* const> TabOrderTable(int page) {
    switch (page) {
        case 0:
            return kTcp;
        case 1:
            return kNative;
        case 2:
            return kCom;
        case 3:
            return kOdbc;
        case 4:
            return kJdbc;
        default:
            return {};
    }
}

const char* FirstInputControl(int page) {
    const auto table = TabOrderTable(page);
    return table.empty() ? nullptr : table.front();
}

void FocusOrder::assign(std::vector<QWidget*> controls, bool endsWithWrap) {
    order_ = std::move(controls);
    wrap_ = endsWithWrap && !order_.empty();
}

int FocusOrder::tabIndex(const QWidget* control) const {
    for (std::size_t i = 0; i < order_.size(); ++i) {
        if (order_[i] == control) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

int FocusOrder::positionOf(const QWidget* widget) const {
    // The focused widget may be a part of a control (the line edit of a combo box).
    for (; widget != nullptr; widget = widget->parentWidget()) {
        const int index = tabIndex(widget);
        if (index > 0) {
            return index - 1;
        }
    }
    return -1;
}

bool FocusOrder::TakesFocus(const QWidget* control) {
    if (!control->isVisible() || !control->isEnabled() ||
        (control->focusPolicy() & Qt::TabFocus) == 0) {
        return false;
    }
    const auto* option = qobject_cast<const QRadioButton*>(control);
    return option == nullptr || option->isChecked();
}

FocusOrder::Step FocusOrder::next(const QWidget* from, bool forward) const {
    const int count = static_cast<int>(order_.size()) - (wrap_ ? 1 : 0);
    int position = positionOf(from);
    if (position < 0 || position >= count) {
        position = forward ? -1 : count;  // from outside the page (or the wrap control): start over
    }
    const auto at = [&](int i) { return order_[static_cast<std::size_t>(i)]; };
    if (forward) {
        for (int i = position + 1; i < count; ++i) {
            if (TakesFocus(at(i))) {
                return {at(i), false};
            }
        }
        if (wrap_) {
            return {order_.back(), true};
        }
        for (int i = 0; i <= position && i < count; ++i) {
            if (TakesFocus(at(i))) {
                return {at(i), false};
            }
        }
        return {};
    }
    // Shift+Tab stays on the page too: from its first control it goes to its last.
    for (int i = position - 1; i >= 0; --i) {
        if (TakesFocus(at(i))) {
            return {at(i), false};
        }
    }
    for (int i = count - 1; i > position && i >= 0; --i) {
        if (TakesFocus(at(i))) {
            return {at(i), false};
        }
    }
    return {};
}

}  // namespace virelo::ui
