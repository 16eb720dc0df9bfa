#pragma once

#include <string>
#include <vector>

#include "general/Mask.h"

namespace virelo::complus {

// What stands in place of a password in every copy of a connection string that is shown.
inline constexpr const char* kPasswordMask = general::kPasswordMask;

// One keyword=value attribute of a connection string, as written (a braced value keeps its
// braces).
struct Attribute {
    std::string keyword;
    std::string value;
};

// Splits a connection string at the semicolons that separate its attributes; a value in braces
// may hold semicolons, and "}}" inside braces stands for one "}". Empty attributes (";;") are
// dropped; an attribute without "=" is kept with an empty value.
std::vector<Attribute> ParseConnectionString(const std::string& text);

// Joins attributes again, each as keyword=value, separated by semicolons.
std::string JoinConnectionString(const std::vector<Attribute>& attributes);

// The DSN-less ODBC string up to and including ";PWD=" (the password goes after it).
std::string DsnLessUpToPassword(const std::string& driver, const std::string& database,
                                const std::string& host, const std::string& server,
                                const std::string& service, const std::string& user);

// The OLE DB string up to and including ";Password=" (the password goes after it).
std::string OleDbUpToPassword(const std::string& database, const std::string& server,
                              const std::string& user);

}  // namespace virelo::complus
