#include "platform/posix/registry/RegistryFold.h"

#include <cstdint>

namespace virelo::platform {
namespace {

// The upper-case letter of a lower-case one, for the scripts a server or data-source name is
// likely to be written in; every other code point is its own upper case.
char32_t Upper(char32_t c) {
    const auto inRange = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
    const bool odd = (c & 1U) != 0;
    if (inRange(U'a', U'z') || (inRange(0xE0, 0xFE) && c != 0xF7) || inRange(0x3B1, 0x3CB) ||
        inRange(0x430, 0x44F) || inRange(0xFF41, 0xFF5A)) {
        return c == 0x3C2 ? char32_t{0x3A3} : c - 0x20;  // final sigma folds to sigma
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if ((inRange(0x100, 0x12F) || inRange(0x132, 0x137) || inRange(0x14A, 0x177) ||
         inRange(0x460, 0x481) || inRange(0x48A, 0x4BF) || inRange(0x1E00, 0x1E95) ||
         inRange(0x1EA0, 0x1EFF)) &&
        odd) {
        return c - 1;
    }
    if ((inRange(0x139, 0x148) || inRange(0x179, 0x17E)) && !odd) {
        return c - 1;
    }
    if (inRange(0x450, 0x45F)) {
        return c - 0x50;
    }
    if (inRange(0x561, 0x586)) {
        return c - 0x30;
    }
    if (c == 0x3AC) {
        return 0x386;
    }
    if (inRange(0x3AD, 0x3AF)) {
        return c - 0x25;
    }
    if (c == 0x3CC) {
        return 0x38C;
    }
    if (inRange(0x3CD, 0x3CE)) {
        return c - 0x3F;
    }
    return c;
}

// Decodes one UTF-8 sequence of two or three bytes at `at` (the letters folded above all lie in
// that range); returns its length, or 0 when the bytes there are not such a sequence.
std::size_t Decode(std::string_view s, std::size_t at, char32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[at + i]); };
    const auto follows = [&](std::size_t i) {
        return at + i < s.size() && (byte(i) & 0xC0) == 0x80;
    };
    if ((byte(0) & 0xE0) == 0xC0 && byte(0) >= 0xC2 && follows(1)) {
        c = (char32_t{byte(0)} & 0x1F) << 6 | (byte(1) & 0x3F);
        return 2;
    }
    if ((byte(0) & 0xF0) == 0xE0 && follows(1) && follows(2)) {
        c = (char32_t{byte(0)} & 0x0F) << 12 | (char32_t{byte(1)} & 0x3F) << 6 | (byte(2) & 0x3F);
        return c >= 0x800 ? 3 : 0;
    }
    return 0;
}

void Encode(char32_t c, std::string& out) {
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

std::string RegistryFold(std::string_view name) {
    std::string folded;
    RegistryFoldInto(name, folded);
    return folded;
}

void RegistryFoldInto(std::string_view name, std::string& folded) {
    folded.clear();
    for (std::size_t i = 0; i < name.size();) {
        const char ch = name[i];
        if (static_cast<std::uint8_t>(ch) < 0x80) {
            folded += ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = Decode(name, i, c);
        if (length == 0) {
            folded += ch;
            ++i;
            continue;
        }
        Encode(Upper(c), folded);
        i += length;
    }
}

}  // namespace virelo::platform
