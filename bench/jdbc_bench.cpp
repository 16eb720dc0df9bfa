// Wall time of "JDBC Ping" against H2 in memory through the window's own handler (log file, child
// JVM running VireloJDBC with its start-up archive, report read back), beside a bare JVM running
// MinimalConnect, which connects the same way and writes nothing, with the JVM's defaults. The
// runs of the two take turns, so that a busy machine weighs on both alike.
// Run it through bench/jdbc.sh, which sets CLASSPATH, BARE_CLASSPATH and the cache directory.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <cstdlib>
#include <string>

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
    const auto connected = [&] {
        return window.pane("txtMessagesJDBC")->text().find("Connection closed") !=
               std::string::npos;
    };
    const char* bareClassPath = std::getenv("BARE_CLASSPATH");
    if (bareClassPath == nullptr) {
        std::fprintf(stderr, "run it through bench/jdbc.sh\n");
        return 2;
    }
    const double firstMs = virelo::bench::MedianMs(1, [&] { ping->click(); });
    if (!connected()) {
        std::fprintf(stderr, "the JDBC ping did not connect:\n%s\n",
                     window.pane("txtMessagesJDBC")->text().c_str());
        return 1;
    }

    const auto bare = [&] {
        virelo::bench::RunProcess({"java", "-cp", bareClassPath, "MinimalConnect", "org.h2.Driver",
                                   "jdbc:h2:mem:bench", "sa", "pw"});
    };
    std::vector<double> pings, bares;
    for (int i = 0; i < 11; ++i) {
        pings.push_back(virelo::bench::MedianMs(1, [&] { ping->click(); }));
        bares.push_back(virelo::bench::MedianMs(1, bare));
    }
    std::sort(pings.begin(), pings.end());
    std::sort(bares.begin(), bares.end());
    const double pingMs = pings[pings.size() / 2];
    const double bareMs = bares[bares.size() / 2];
    std::printf("first JDBC Ping (makes the archive)   %8.1f ms\n", firstMs);
    std::printf("JDBC Ping, H2 in memory (window)      %8.1f ms   (median of %zu)\n", pingMs,
                pings.size());
    std::printf("bare JVM, MinimalConnect              %8.1f ms   (median of %zu)\n", bareMs,
                bares.size());
    std::printf("ratio ping / bare JVM                 %8.2fx   (aim: at most 0.8x)\n",
                pingMs / bareMs);
    return connected() ? 0 : 1;
}
