// Time of a TCP ping of 127.0.0.1 (look-up, echo, log file and pane, by address so each run
// deletes its log) and of a service look-up, run in-process through the window's own handlers,
// printed beside the whole-process time of `ping -c1 -W1 127.0.0.1` and `getent services http`.
// Run it through bench/tcpip.sh (offscreen, private TEMP).
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>

#include "BenchSupport.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    virelo::bench::BenchWindow bench;
    virelo::ui::frmVIRELO& window = bench.window;

    window.control<QRadioButton>("optHostbyAddr")->setChecked(true);
    window.control<QLineEdit>("txtEnterHostName")->setText("127.0.0.1");
    auto* ping = window.control<QPushButton>("cmdPingTCP");
    const double pingMs = virelo::bench::MedianMs(50, [&] { ping->click(); });
    if (window.pane("txtDiagTCP")->text().rfind("[ ip found ] 0", 0) != 0) {
        std::fprintf(stderr, "the echo did not succeed:\n%s\n",
                     window.pane("txtDiagTCP")->text().c_str());
        return 1;
    }

    window.control<QLineEdit>("txtEnterSrvPort")->setText("http");
    auto* retrieve = window.control<QPushButton>("cmdRetrieve");
    const double serviceMs = virelo::bench::MedianMs(200, [&] { retrieve->click(); });

    const double pingProcessMs = virelo::bench::MedianMs(20, [] {
        virelo::bench::RunProcess({"ping", "-c1", "-W1", "127.0.0.1"});
    });
    const double getentMs = virelo::bench::MedianMs(50, [] {
        virelo::bench::RunProcess({"getent", "services", "http"});
    });

    std::printf(
        "TCP Ping 127.0.0.1 (in-process)       %8.3f ms   ping -c1 -W1 127.0.0.1 %8.3f ms\n",
        pingMs, pingProcessMs);
    std::printf(
        "Retrieve service http (in-process)    %8.3f ms   getent services http   %8.3f ms\n",
        serviceMs, getentMs);
    return 0;
}
