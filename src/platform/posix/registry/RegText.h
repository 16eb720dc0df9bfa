#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace virelo::platform {

// The text of a registry export file in UTF-8, the registry view's code page, with notes on how
// it was read (for the warnings of the file's line 0).
struct DecodedRegText {
    std::string text;
    std::vector<std::string> notes;
    bool windows1252 = false;  // read as Windows-1252, the file not being valid UTF-8
};

// Reads the bytes of an export file: UTF-16LE or UTF-16BE after their byte-order mark (or, with a
// note, without one when the text starts with a character whose high byte is 0), UTF-8 with or
// without its mark, and 8-bit text that is not valid UTF-8 as Windows-1252, the code page a
// REGEDIT4 file from a Western European workstation is written in.
DecodedRegText DecodeRegText(std::string_view bytes);

// UTF-16LE code units to UTF-8. An unpaired surrogate becomes U+FFFD; an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// Windows-1252 bytes to UTF-8: 0x80 to 0x9F are the code page's own characters (the euro sign,
// curly quotes, dashes), the bytes from 0xA0 up the Latin-1 ones.
std::string Cp1252ToUtf8(std::string_view bytes);

// The length of UTF-8 text in UTF-16 code units, the characters the registry counts its name
// limits in.
std::size_t Utf16Length(std::string_view utf8);

}  // namespace virelo::platform
