#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace virelo::platform {

// Splits a command line into an argument vector by the rules Windows programs use: blanks and tabs
// separate arguments; double quotes group blanks into one argument; 2n backslashes before a quote
// give n backslashes and the quote groups, 2n+1 give n backslashes and a literal quote; inside
// quotes a doubled quote is a literal quote; other backslashes are literal. The program name (the
// first argument) ends at the first blank outside quotes and takes no backslash escapes.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// How many of the line's arguments (the program name included) lie wholly before `offset`: none
// of their characters comes from the text at or after it. A quote left open earlier carries an
// argument past the offset, so that argument and all later ones are not counted.
std::size_t ArgumentsEndingBefore(std::string_view commandLine, std::size_t offset);

// One argument written so that SplitCommandLine gives it back unchanged (not as the program
// name): in double quotes, with its quotes and the backslashes before them escaped.
std::string QuoteArgument(std::string_view argument);

}  // namespace virelo::platform
