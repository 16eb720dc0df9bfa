#include "platform/posix/registry/RegText.h"

#include <array>
#include <cstdint>

namespace virelo::platform {
namespace {

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size() / 2 + bytes.size() / 8);
    const auto unit = [&](std::size_t i) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    const std::size_t units = bytes.size() / 2;
    for (std::size_t u = 0; u < units; ++u) {
        const char16_t c = unit(2 * u);
        if (c >= 0xD800 && c <= 0xDBFF && u + 1 < units) {
            const char16_t low = unit(2 * (u + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(0x10000 + ((char32_t{c} - 0xD800) << 10) + (low - 0xDC00), out);
                ++u;
                continue;
            }
        }
        AppendUtf8(c >= 0xD800 && c <= 0xDFFF ? char32_t{0xFFFD} : char32_t{c}, out);
    }
    return out;
}

// Windows-1252 bytes 0x80 to 0x9F; the bytes from 0xA0 up are the Latin-1 code points.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char ch : bytes) {
        const auto byte = static_cast<std::uint8_t>(ch);
        if (byte >= 0x80 && byte < 0xA0) {
            AppendUtf8(kCp1252High[byte - 0x80], out);
        } else {
            AppendUtf8(byte, out);
        }
    }
    return out;
}

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (const char ch : utf8) {
        const auto byte = static_cast<std::uint8_t>(ch);
        // A lead byte starts a character; one of four bytes lies beyond U+FFFF and takes two.
        units += (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    return Utf16ToUtf8(bytes, false);
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        std::size_t length = 0;
        char32_t c = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            length = 2, c = byte & 0x1F;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            length = 3, c = byte & 0x0F;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            length = 4, c = byte & 0x07;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            c = c << 6 | (next & 0x3F);
        }
        const char32_t lowest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

DecodedRegText DecodeRegText(std::string_view bytes) {
    DecodedRegText decoded;
    const auto utf16 = [&](std::string_view units, bool bigEndian) {
        if (units.size() % 2 != 0) {
            decoded.notes.push_back("the file ends in the middle of a UTF-16 character");
        }
        decoded.text = Utf16ToUtf8(units, bigEndian);
    };
    if (StartsWith(bytes, "\xFF\xFE")) {
        utf16(bytes.substr(2), false);
    } else if (StartsWith(bytes, "\xFE\xFF")) {
        utf16(bytes.substr(2), true);
    } else if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        decoded.text = bytes.substr(3);
    } else if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') {
        decoded.notes.push_back("no byte-order mark; read as UTF-16 (little-endian)");
        utf16(bytes, false);
    } else if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] != '\0') {
        decoded.notes.push_back("no byte-order mark; read as UTF-16 (big-endian)");
        utf16(bytes, true);
    } else if (IsValidUtf8(bytes)) {
        decoded.text = bytes;
    } else {
        decoded.notes.push_back("not valid UTF-8; read as Windows-1252");
        decoded.text = Cp1252ToUtf8(bytes);
        decoded.windows1252 = true;
    }
    return decoded;
}

}  // namespace virelo::platform
