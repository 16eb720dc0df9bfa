// Wall time of "JDBC Ping" against H2 in memory through the window's own handler (log file, child
// JVM running VireloJDBC, report read back), beside a bare JVM running MinimalConnect, which
// connects the same way and writes nothing: the difference is our overhead over the JVM itself.
// Run it through bench/jdbc.sh, which sets CLASSPATH and compiles MinimalConnect.
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

    window.control<QRadioButton>("optStringURLJDBC")->setChecked(true);
    window.pane("txtConURLJDBC")->setText("jdbc:h2:mem:bench");
    window.control<QComboBox>("cmbDriverClassJDBC")->setEditText("org.h2.Driver");
    window.control<QLineEdit>("txtUserJDBC")->setText("sa");
    window.control<QLineEdit>("txtPassJDBC")->setText("pw");
    auto* ping = window.control<QPushButton>("cmdConnectCompJDBC");
    const double pingMs = virelo::bench::MedianMs(10, [&] { ping->click(); });
    if (window.pane("txtMessagesJDBC")->text().find("Connection closed") == std::string::npos) {
        std::fprintf(stderr, "the JDBC ping did not connect:\n%s\n",
                     window.pane("txtMessagesJDBC")->text().c_str());
        return 1;
    }

    const double bareMs = virelo::bench::MedianMs(10, [] {
        virelo::bench::RunProcess(
            {"java", "MinimalConnect", "org.h2.Driver", "jdbc:h2:mem:bench", "sa", "pw"});
    });
    std::printf("JDBC Ping, H2 in memory (window)   %8.1f ms\n", pingMs);
    std::printf("bare JVM, MinimalConnect           %8.1f ms\n", bareMs);
    std::printf("overhead over the JVM itself       %8.1f ms\n", pingMs - bareMs);
    return 0;
}
