#include <gtest/gtest.h>

#include "support/OdbcIni.h"

// unixODBC reads its configuration from private files only, set up before any ODBC call.
int main(int argc, char** argv) {
    virelo::test::OdbcProcessConfig::Isolate();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
