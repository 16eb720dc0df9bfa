// The COM+ tab's connection-string builder: one way per option button, the mandatory inputs
// tested in a fixed order, and the masked copy of the string in txtDSNLess.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "complus/ConnectionString.h"
#include "ui/FrmVirelo.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/tabs/ComPlusTab.h"

namespace virelo::ui {

std::string ComPlusTab::Text(const char* name) const {
    if (const auto* combo = window_.control<QComboBox>(name)) {
        return combo->currentText().toStdString();
    }
    if (const auto* box = window_.control<QLineEdit>(name)) {
        return box->text().toStdString();
    }
    return window_.pane(name)->text();
}

void ComPlusTab::SetText(const char* name, const std::string& text) {
    if (auto* combo = window_.control<QComboBox>(name)) {
        combo->setEditText(QString::fromStdString(text));
    } else if (auto* box = window_.control<QLineEdit>(name)) {
        ui::SetText(box, text);
    } else {
        window_.pane(name)->setText(text);
    }
}

std::string ComPlusTab::Refuse(const char* message, const char* field) {
    window_.platform().boxes.show(message, kProgramName, platform::BoxIcon::None);
    window_.control(field)->setFocus();
    return "";
}

std::string ComPlusTab::BuildConnectionString(const bool& MaskPassword) {
    const auto selected = [this](const char* option) {
        return window_.control<QRadioButton>(option)->isChecked();
    };
    if (selected("optSystemDSN")) {
        return DataSourceSteps("cboSystemDSN", "Please Select a System DSN", MaskPassword);
    }
    if (selected("optUserDSN")) {
        return DataSourceSteps("cboUserDSN", "Please Select a User DSN", MaskPassword);
    }
    if (selected("optODBCDriver")) {
        return DsnLessSteps(MaskPassword);
    }
    if (selected("optADOOleDriver")) {
        return OleDbSteps(MaskPassword);
    }
    if (selected("optDSNLess")) {
        return ManualSteps(MaskPassword);
    }
    return "";
}

std::string ComPlusTab::EndWithPassword(const std::string& upToPassword, bool mask) {
    const std::string copy = upToPassword + complus::kPasswordMask;
    SetText("txtDSNLess", copy);
    builtCopy_ = copy;
    builtFrom_ = upToPassword + Text("txtPWD");
    return mask ? copy : builtFrom_;
}

std::string ComPlusTab::DataSourceSteps(const char* combo, const char* message, bool mask) {
    if (Text(combo).empty()) {
        return Refuse(message, combo);
    }
    std::string text = "DSN=" + Text(combo);
    if (Text("txtUID").empty()) {
        return text;  // without a user name the password is not used, and txtDSNLess stays
    }
    text += ";UID=" + Text("txtUID");
    if (Text("txtPWD").empty()) {
        return Refuse("Please Enter a Password", "txtPWD");
    }
    return EndWithPassword(text + ";PWD=", mask);
}

bool ComPlusTab::InputsGiven(std::span<const std::pair<const char*, const char*>> tests) {
    for (const auto& [field, message] : tests) {
        if (Text(field).empty()) {
            Refuse(message, field);
            return false;
        }
    }
    // A user name without a password is refused; no user name passes with or without one.
    if (!Text("txtUID").empty() && Text("txtPWD").empty()) {
        Refuse("Please Enter a Password", "txtPWD");
        return false;
    }
    return true;
}

std::string ComPlusTab::DsnLessSteps(bool mask) {
    static constexpr std::pair<const char*, const char*> kTests[] = {
        {"cboODBCDriver", "Please Select a ODBC Driver"},
        {"cboADOServer", "Please Select a Server Name"},
        {"txtADOHost", "Please Enter a Host Name"},
        {"txtADOPort", "Please Enter a Service Name or Port #"},
        {"txtADODatabase", "Please Enter a Database Name"},
    };
    if (!InputsGiven(kTests)) {
        return "";
    }
    return EndWithPassword(complus::DsnLessUpToPassword(
                               Text("cboODBCDriver"), Text("txtADODatabase"), Text("txtADOHost"),
                               Text("cboADOServer"), Text("txtADOPort"), Text("txtUID")),
                           mask);
}

std::string ComPlusTab::OleDbSteps(bool mask) {
    static constexpr std::pair<const char*, const char*> kTests[] = {
        {"cboADOOleDriver", "Please Select a OLE DB Driver"},
        {"cboADOServer", "Please Select a Server Name"},
        {"txtADODatabase", "Please Enter a Database Name"},
    };
    if (!InputsGiven(kTests)) {
        return "";
    }
    return EndWithPassword(
        complus::OleDbUpToPassword(Text("txtADODatabase"), Text("cboADOServer"), Text("txtUID")),
        mask);
}

std::string ComPlusTab::ManualSteps(bool mask) {
    // The typed string is the connection string, exactly as typed; "View Current String" leaves
    // it as it is and "COM+  Ping" connects with it. While the box still holds exactly the masked
    // copy that the builder wrote last, the string is the one the copy was made from: the mask is
    // no password.
    const std::string typed = Text("txtDSNLess");
    if (typed.empty()) {
        return Refuse("Please Enter a Connection String", "txtDSNLess");
    }
    return !mask && typed == builtCopy_ ? builtFrom_ : typed;
}

}  // namespace virelo::ui
