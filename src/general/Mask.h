#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace virelo::general {

// What stands in place of a password wherever a text would otherwise show it. It is always the
// same eight characters, so that its length says nothing about the password's.
inline constexpr const char* kPasswordMask = "########";

// A password is hidden by its value alone (where no keyword or URL shows it) only when it has at
// least this many characters, not all of them letters: a shorter one, or a word, is too likely to
// be an ordinary word of a message, and masking that word would give the password away.
inline constexpr std::size_t kShortestPasswordHiddenByValue = 8;

// The text with every password replaced by the mask, by one rule that the Java test class
// repeats (both run the cases of tests/general/mask_cases.txt):
// - By context: the value after a keyword that ends in PWD, PASSWD or PASSWORD (any letter
//   case, for example PWD, Password, sslpassword) followed by "=" or ":" (blanks around them
//   allowed); the secret of user:secret@ and of :user/secret@ (URLs). A value ends
//   where the next name=value pair begins (";" or "&", a name, "=") or at the end of the line,
//   and never before its first part ends: a value in braces or in double or single quotes up to
//   its closing mark (a doubled mark stands for itself; not closed, up to the end of the line),
//   or `password` itself when the value begins with it. A URL's secret ends at "@"; it never
//   holds "/", "?", "#" or a blank, unless `password` does, nor ":" outside a URL's "//".
// - By value: `password` wherever it stands as a whole token (no letter, digit or non-ASCII
//   character joined to it on either side), when it has kShortestPasswordHiddenByValue
//   characters or more and not all of them are letters (non-ASCII characters count as letters).
// Nothing else changes: the keyword, what follows the value, and every word that merely holds
// the password stay as they were. The work is linear in the lengths of text and password, and
// the result is at most three times as long as the text.
std::string MaskPasswords(std::string_view text, std::string_view password = {});

}  // namespace virelo::general
