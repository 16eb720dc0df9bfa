#include "report/ReportText.h"

#include <algorithm>

namespace virelo::report {
namespace {

constexpr std::size_t kLabelWidth = 20;
// Lines stay within this width where the text has blanks to break at.
constexpr std::size_t kLineWidth = 99;
constexpr const char* kReplacement = "\xEF\xBF\xBD";

std::size_t Characters(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 when there is none.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;  // the range of the second byte, which rules out overlong forms
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// Where to cut near `at` without splitting a UTF-8 sequence.
std::size_t CharacterStart(const std::string& text, std::size_t at) {
    while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        --at;
    }
    return at;
}

}  // namespace

std::string Title(std::string_view title, char underline) {
    return std::string(title) + "\n" + std::string(Characters(title), underline) + "\n";
}

std::string Field(std::string_view label, std::string_view value) {
    std::string text(label);
    text.resize(std::max(text.size() + 2, kLabelWidth), ' ');
    std::size_t column = Characters(text);
    for (std::size_t start = 0; start <= value.size();) {
        const std::size_t end = std::min(value.find('\n', start), value.size());
        std::string_view line = value.substr(start, end - start);
        // Blanks at a line's end (a host name padded to its fixed length) carry nothing.
        line = line.substr(0, line.find_last_not_of(' ') + 1);
        // A long line is broken at its last blank that keeps it within the width, if it has one.
        while (column + Characters(line) > kLineWidth) {
            const std::size_t blank = line.rfind(' ', kLineWidth - column);
            if (blank == std::string_view::npos || blank == 0) {
                break;
            }
            text.append(line.substr(0, blank)).append("\n").append(kLabelWidth, ' ');
            line.remove_prefix(blank + 1);
            column = kLabelWidth;
        }
        text.append(line).append("\n");
        if (end < value.size()) {
            text.append(kLabelWidth, ' ');
        }
        column = kLabelWidth;
        start = end + 1;
    }
    return text;
}

std::string PlainText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            plain += '\n';
            i += i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
        } else if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) {
            plain += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            plain += '^';
            plain += static_cast<char>(c ^ 0x40);
            ++i;
        } else if (const std::size_t length = SequenceLength(text, i); length > 0) {
            plain.append(text.substr(i, length));
            i += length;
        } else {
            plain += kReplacement;
            ++i;
        }
    }
    return plain;
}

std::string Capped(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    const std::size_t half = limit / 2;
    std::size_t headEnd = text.rfind('\n', half);
    headEnd = headEnd == std::string::npos ? CharacterStart(text, half) : headEnd + 1;
    std::size_t tailStart = text.find('\n', text.size() - half);
    tailStart =
        tailStart == std::string::npos ? CharacterStart(text, text.size() - half) : tailStart + 1;
    std::size_t lines = 0;
    for (std::size_t i = headEnd; i < tailStart; ++i) {
        lines += text[i] == '\n' ? 1 : 0;
    }
    return text.substr(0, headEnd) + "[... " + std::to_string(tailStart - headEnd) + " bytes (" +
           std::to_string(lines) + " lines) cut here: the report keeps the first " +
           "and the last " + std::to_string(half / 1024) + " KiB ...]\n" + text.substr(tailStart);
}

}  // namespace virelo::report
