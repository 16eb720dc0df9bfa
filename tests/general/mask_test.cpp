// The password mask: the table of cases that the Java test class runs too, and properties that
// must hold for any input (it ends, it does not grow beyond bounds, a keyword's value goes whole).
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <regex>

#include "general/Mask.h"

namespace virelo::general {
namespace {

// A field of the table, where \n and \r stand for a line feed and a carriage return.
std::string Unescaped(std::string field) {
    for (const auto& [escape, c] : {std::pair{"\\\\n", "\n"}, {"\\\\r", "\r"}}) {
        field = std::regex_replace(field, std::regex(escape), c);
    }
    return field;
}

TEST(MaskTest, EveryCaseOfTheSharedTable) {
    std::ifstream file(VIRELO_MASK_CASES);
    int cases = 0, number = 1;
    for (std::string line; std::getline(file, line); ++number) {
        const auto first = line.find('\t');
        const auto second = line.find('\t', first + 1);
        if (first != std::string::npos) {
            EXPECT_EQ(MaskPasswords(Unescaped(line.substr(first + 1, second - first - 1)),
                                    Unescaped(line.substr(0, first))),
                      Unescaped(line.substr(second + 1)))
                << "line " << number << " (three fields: password, text, masked text)";
            ++cases;
        }
    }
    EXPECT_GE(cases, 40) << VIRELO_MASK_CASES;
}

// Random passwords and texts made of the characters the mask reacts to, with a fixed seed.
TEST(MaskTest, AnyInputEndsStaysBoundedAndLosesAKeywordsValueWhole) {
    std::mt19937 random(18);
    const std::string pieces[] = {"#", "PWD", "=", ";", "{",  "}", "\"", "'",        "@",       ":",
                                  "/", "//",  "&", " ", "\n", "a", "1",  "\xC3\xA4", "password"};
    const auto draw = [&](std::size_t most) {
        std::string text;
        for (std::size_t k = random() % (most + 1); k > 0; --k) {
            text += pieces[random() % std::size(pieces)];
        }
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string password = draw(6);
        const std::string text = draw(30) + password + draw(30);
        ASSERT_LE(MaskPasswords(text, password).size(), 3 * text.size()) << text;
        std::erase(password, '\n');
        ASSERT_EQ(MaskPasswords("DSN=x;PWD=" + password + ";UID=u\nnext", password),
                  "DSN=x;PWD=########;UID=u\nnext")
            << password;
    }
    // Megabytes of number signs, in linear time.
    const std::string signs(1 << 21, '#');
    EXPECT_EQ(MaskPasswords(signs, signs.substr(0, 1 << 20)), std::string(16, '#'));
}

}  // namespace
}  // namespace virelo::general
