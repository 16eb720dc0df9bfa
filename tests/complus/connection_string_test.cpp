// Connection strings: splitting into attributes and masking every password in any text that
// echoes one.
#include <gtest/gtest.h>

#include "complus/ConnectionString.h"

namespace virelo::complus {
namespace {

TEST(ConnectionStringTest, PasswordsAreMaskedInEveryForm) {
    const std::pair<std::string, std::string> cases[] = {
        {"DSN=Sales;UID=u;PWD=secret", "DSN=Sales;UID=u;PWD=########"},
        {"DSN=Sales;PWD=secret;UID=u", "DSN=Sales;PWD=########;UID=u"},
        {"Data Source=db@srv;User ID=u;Password=secret",
         "Data Source=db@srv;User ID=u;Password=########"},
        {"dsn=x;pwd=secret", "dsn=x;pwd=########"},
        {"DSN=x; PASSWORD = secret ;UID=u", "DSN=x; PASSWORD =########;UID=u"},
        {"DSN=x;PWD={se;cr}}et};UID=u", "DSN=x;PWD=########;UID=u"},
        {"DSN=x;PWD={unbalanced;UID=u", "DSN=x;PWD=########"},
        {"DSN=x;;PWD=a;;PWD=b", "DSN=x;;PWD=########;;PWD=########"},
        {"=nokey;PWD=", "=nokey;PWD=########"},
        {"[08001] connect failed for DSN=x;PWD=secret (native 101)",
         "[08001] connect failed for DSN=x;PWD=########"},
        {"x=PWD=secret", "x=PWD=########"},
        {"no password here: PWDS=visible;SPWD=visible",
         "no password here: PWDS=visible;SPWD=visible"},
        {"DSN=S\xC3\xA4les;PWD=p\xC3\xA4ss", "DSN=S\xC3\xA4les;PWD=########"},
    };
    for (const auto& [text, masked] : cases) {
        EXPECT_EQ(MaskPasswords(text), masked) << text;
    }
    const std::string longText = "DSN=" + std::string(10000, 'x') + ";PWD=secret";
    EXPECT_EQ(MaskPasswords(longText), "DSN=" + std::string(10000, 'x') + ";PWD=########");
}

TEST(ConnectionStringTest, AttributesKeepBracedValuesWhole) {
    const auto attributes = ParseConnectionString("Provider=MSDASQL;DRIVER={a;b}}c};PWD={p;w};;X");
    ASSERT_EQ(attributes.size(), 4u);
    EXPECT_EQ(attributes[0].keyword, "Provider");
    EXPECT_EQ(attributes[1].value, "{a;b}}c}");
    EXPECT_EQ(attributes[2].value, "{p;w}");
    EXPECT_EQ(attributes[3].keyword, "X");
    EXPECT_EQ(attributes[3].value, "");
    EXPECT_EQ(JoinConnectionString({attributes[1], attributes[2]}), "DRIVER={a;b}}c};PWD={p;w}");
}

}  // namespace
}  // namespace virelo::complus
