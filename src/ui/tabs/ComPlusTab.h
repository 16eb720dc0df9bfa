#pragma once

#include <QObject>
#include <span>
#include <string>
#include <utility>

class QWidget;

namespace virelo::ui {

class frmVIRELO;

// The COM+ tab: the connection-string builder with its five ways, the lists and captions that
// come from the connection-tester component, the server look-up, and the COM+ ping.
class ComPlusTab : public QObject {
    Q_OBJECT
public:
    explicit ComPlusTab(frmVIRELO& window);

    // Captions with the component's machine name, the four name lists and the server list.
    // Raises an Error when the component cannot be created or a call to it fails.
    void FillComPlusTab();

    // The connection string of the selected way, masked or with the real password; empty when a
    // mandatory input is missing (after its message box and a focus move).
    std::string BuildConnectionString(const bool& MaskPassword);

    void optSystemDSN_Click();
    void optUserDSN_Click();
    void optDSNLess_Click();
    void optODBCDriver_Click();
    void optADOOleDriver_Click();
    void cmdLookupSqlhostInfo_Click();
    void cmdClearADO_Click();
    void cmdViewString_Click();
    void cmdPingADO_Click();

private:
    std::string DataSourceSteps(const char* combo, const char* message, bool mask);
    std::string DsnLessSteps(bool mask);
    std::string OleDbSteps(bool mask);
    std::string ManualSteps(bool mask);
    // Tests the fields in order, each against its message, then the password rule; shows the
    // first failing test's message and moves the focus. True when all inputs are given.
    bool InputsGiven(std::span<const std::pair<const char*, const char*>> tests);
    // Ends a build whose input is missing: the message, the focus on the field, no string.
    std::string Refuse(const char* message, const char* field);
    // Appends the password (or the mask) to a string that ends in its password keyword, and
    // writes the masked copy into txtDSNLess.
    std::string EndWithPassword(const std::string& upToPassword, bool mask);
    void ApplyOption(int option);

    std::string Text(const char* name) const;
    void SetText(const char* name, const std::string& text);

    frmVIRELO& window_;
    // The masked copy that the builder last wrote into txtDSNLess, and the string it was made from.
    std::string builtCopy_;
    std::string builtFrom_;
};

}  // namespace virelo::ui
