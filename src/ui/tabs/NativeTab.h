#pragma once

#include <QObject>

namespace virelo::ui {

class frmVIRELO;

// The Native Connect tab: the server list from the SQLHOSTS entries, the look-up of a server's
// host, service and protocol, and the native ping through the native-connect component.
class NativeTab : public QObject {
    Q_OBJECT
public:
    explicit NativeTab(frmVIRELO& window);

    // Refills the server list: the server names, then one empty item (two without servers).
    void FillNativeServerList();
    void cmdLookupCon_Click();
    void cmdPingCon_Click();

private:
    frmVIRELO& window_;
};

}  // namespace virelo::ui
