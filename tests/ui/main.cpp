#include <gtest/gtest.h>

#include <QApplication>

#include "support/IsolatedResolver.h"
#include "support/OdbcIni.h"

// The window tests run on the offscreen platform, with the test hosts file as the only resolver,
// so start-up resolves the test workstation's own name and nothing leaves the machine, and with
// private unixODBC configuration files, so the driver manager never reads or writes the
// machine's or the user's.
int main(int argc, char** argv) {
    virelo::test::RequireIsolatedResolver(argv);
    virelo::test::OdbcProcessConfig::Isolate();
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
