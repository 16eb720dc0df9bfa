#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace virelo::report {

// The building blocks of a support report: plain UTF-8 text with new-line line ends, sections
// with underlined titles, and "label  value" lines that read well pasted into a ticket.

// The title and, under it, a line of `underline` characters as long as the title.
std::string Title(std::string_view title, char underline);

// One "label  value" line, the values of all such lines starting in one column; a value of
// several lines goes on under itself, indented to that column, and a line too long for 99
// characters is broken at a blank where it has one. Blanks at the end of a line are dropped.
std::string Field(std::string_view label, std::string_view value);

// The text made plain: CR LF and a lone CR become a new line, other control characters (tab
// kept) show in caret form (^[ for ESC), and bytes that are not UTF-8 become U+FFFD.
std::string PlainText(std::string_view text);

// The text, or when it is longer than `limit` bytes, its first and its last part (each cut at a
// line end, together at most `limit` bytes) with a line between them that says how much was cut.
std::string Capped(const std::string& text, std::size_t limit);

}  // namespace virelo::report
