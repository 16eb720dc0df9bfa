#pragma once

#include <string>

namespace virelo::test {

// The system and user ini files of unixODBC in the private directory that main() points every
// registry source at, for the whole process: unixODBC reads ODBCSYSINI once per process, so its
// ini files stay at one place and tests rewrite them there.
std::string OdbcSystemIni();
std::string OdbcUserIni();

// UTF-16LE bytes of UTF-8 text, with or without the byte-order mark.
std::string Utf16Le(const std::string& utf8, bool bom = true);

}  // namespace virelo::test
