#include <gtest/gtest.h>

#include <QApplication>

#include "support/IsolatedResolver.h"
#include "support/OdbcConfig.h"

// The window tests run on the offscreen platform, with the test hosts file as the only resolver,
// so start-up resolves the test workstation's own name and nothing leaves the machine, and with
// empty ODBC configuration files of their own, so the driver manager never reads or writes the
// machine's or the user's (a test that needs data sources points these variables elsewhere).
int main(int argc, char** argv) {
    virelo::test::RequireIsolatedResolver(argv);
    ::testing::InitGoogleTest(&argc, argv);
    virelo::test::IsolateOdbc();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
